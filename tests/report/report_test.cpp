#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "velmiro/grid.h"
#include "velmiro/report.h"

namespace velmiro::report {
namespace {

Port portFor(std::string_view family, std::string_view part = {}) {
    if (!part.empty())
        return portOf(deviceFromText(part));
    return Port{*findFamily(family), {}};
}

struct Asked {
    std::string_view family;
    std::int32_t clock, rate;
    std::string_view part = {};
};

std::string modesIn(const Asked& a) {
    const Query q{a.clock, a.rate, {}, {}, portFor(a.family, a.part)};
    std::ostringstream out;
    writeModes(out, Format::Text, q, compareModes(q.port.peripheral, a.clock, a.rate, {}, {}));
    return out.str();
}

// The line of a text answer that starts with `start`, or "".
std::string lineOf(const std::string& text, std::string_view start) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(start, 0) == 0)
            return line;
    }
    return {};
}

// The worked values of each family, as the text row of the mode shows them.
TEST(FamilyOutputs, WorkedValues) {
    struct Case {
        Asked asked;
        std::string_view row;  // from the best mark on
    };
    const Case cases[] = {
        {{"usart", 20000000, 1200},
         "* 000      0     0        64    255 (max)   0xFF     1220,70      1,73  fuori "
         "tolleranza"},
        {{"usart", 20000000, 9600},
         "* 001      0     1        16          129   0x81     9615,38      0,16  ok"},
        {{"uart16", 8000000, 9600},
         "* 0        0        16           25  0x0019     9615,38      0,16  ok"},
        {{"uart16", 32000000, 115200},
         "* 1        1         4           34  0x0022   114285,71     -0,79  ok"},
        {{"pic32", 36000000, 115200},
         "* 1        1         4           77  0x004D   115384,62      0,16  ok"},
        {{"pic32", 36000000, 115200},
         "  0        0        16           19  0x0013   112500,00     -2,34  fuori tolleranza"},
        // The heading widens over the largest achieved rate, 100.000.000,00.
        {{"pic32", 2000000000, 100000000},
         "  modo  BRGH  divisore            n   UxBRG      ottenuti  scost. %  esito"},
        {{"uart18", 16000000, 9600},
         "  0        0        16          103    0x00    0x67     9615,38      0,16  ok"},
        {{"usart", 20000000, 9600, "PIC16C74A-I/P"},
         "  001      0     1        16          129   0x81     9615,38      0,16  sconsigliato "
         "dall'errata"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lineOf(modesIn(c.asked), std::string(c.row.substr(0, 5))), c.row)
            << c.asked.family << " " << c.asked.rate;
    }
}

// Every face of the families, parts and errata as one transcript, with the
// messages for parts that do not read. VELMIRO_UPDATE_GOLDEN=1 rewrites it;
// review the diff before committing it.
TEST(FamilyOutputs, Golden) {
    const Asked asked[] = {
        {"usart", 20000000, 1200},
        {"uart18", 16000000, 9600},
        {"uart16", 8000001, 9600},
        {"pic32", 36000000, 115200},
        {"", 20000000, 9600, "PIC16C74A-I/P"},
        {"", 4000000, 1000000, "PIC16LF1824"},
        {"", 20000000, 2500000, "dsPIC33EP256MU806"},
    };
    std::ostringstream out;
    for (const Asked& a : asked) {
        out << "== " << a.family << a.part << ' ' << a.clock << ' ' << a.rate << '\n';
        const Query q{a.clock, a.rate, {}, {}, portFor(a.family, a.part)};
        const Comparison modes = compareModes(q.port.peripheral, a.clock, a.rate, {}, {});
        for (const Format format : {Format::Text, Format::Csv, Format::Json})
            writeModes(out, format, q, modes);
        writeHeader(out, "U_", q, *modes.bestMode());
        const std::int32_t rates[] = {2400, a.rate};
        writeTable(out, Format::Text, q, tableOf(q.port.peripheral, a.clock, rates, {}, {}));
        const auto fits = crystalsFor(q.port.peripheral, rates, {}, {}, 3000000, 4000000);
        writeCrystals(out, Format::Text, q.port, rates, {}, fits);
        writeCrystals(out, Format::Csv, q.port, rates, {}, fits);
        out << rateHint(q.port.family(), a.clock, a.clock / 4) << '\n';
    }
    for (const std::string_view part : {"PIC99Z1"})
        out << deviceProblem(part, deviceFromText(part)) << '\n';
    for (const std::string_view family : {"usart", "eusart"})
        out << '[' << familyConflict(deviceFromText("16f877a"), *findFamily(family)) << "]\n";

    const std::string path = VELMIRO_GOLDEN_DIR "/families.txt";
    if (std::getenv("VELMIRO_UPDATE_GOLDEN") != nullptr)
        std::ofstream(path, std::ios::binary) << out.str();
    std::ifstream file(path, std::ios::binary);
    EXPECT_EQ(out.str(), std::string(std::istreambuf_iterator<char>(file), {})) << path;
}

// The CSV lines of `out`, each checked to end in CRLF.
std::vector<std::string> csvLines(const std::string& out) {
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = out.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(out.substr(at, end - at));
    EXPECT_EQ(out.size(), lines.empty() ? 0 : out.rfind("\r\n") + 2) << "a line without CRLF";
    return lines;
}

// Every family writes the same CSV header and JSON keys, so that files from
// several parts concatenate; its own names for bits and register are values.
TEST(Schema, SameForEveryFamily) {
    // A worked mode of each family, as its CSV line holds it; a family without
    // one still has its header and keys checked, at 20 MHz and 9600 baud.
    const std::pair<Asked, std::string_view> worked[] = {
        {{"eusart", 20000000, 1200},
         ",1200,011,SYNC,0,BRG16,1,BRGH,1,4,4166,4166,false,"
         "SPBRGH:SPBRG,16,70,"},
        {{"usart", 20000000, 9600}, ",9600,001,SYNC,0,BRGH,1,,,16,129,129,false,SPBRG,0,129,"},
        {{"uart18", 16000000, 9600}, ",9600,1,BRGS,1,,,,,4,416,416,false,UxBRGH:UxBRGL,1,160,"},
        {{"uart16", 32000000, 115200}, ",115200,1,BRGH,1,,,,,4,34,34,false,UxBRG,0,34,"},
        {{"pic32", 36000000, 1200}, ",1200,1,BRGH,1,,,,,4,7499,7499,false,UxBRG,29,75,"},
        // 20 bits: UxBRGH[3:0] and UxBRG, and the same halves of a UxBRG named whole.
        {{"uart33c", 100000000, 300},
         ",300,10,BCLKMOD,1,BRGH,0,,,1,166667,166667,false,UxBRGH:UxBRG,2,35595,"},
        {{"uart33a", 100000000, 300},
         ",300,01,CLKMOD,0,BRGS,1,,,4,83332,83332,false,UxBRG,1,17796,300.0012000048,"
         "0.0004000016000064,0.0004000016000064,ok,true,false"},
        {{"dspic30f", 16000000, 9600}, ",9600,0,,,,,,,16,25,25,false,UxBRG,0,25,"},
    };
    std::size_t used = 0;
    std::string header, keys, concatenated;
    for (const Family& family : families()) {
        const auto* found = std::find_if(std::begin(worked), std::end(worked), [&](const auto& w) {
            return w.first.family == family.key;
        });
        const bool has = found != std::end(worked);
        used += has ? 1 : 0;
        const Asked asked = has ? found->first : Asked{family.key, 20000000, 9600};
        const std::string_view mode = has ? found->second : std::string_view(",");
        const Query q{asked.clock, asked.rate, {}, {}, portFor(asked.family)};
        const Comparison modes = compareModes(q.port.peripheral, q.crystal, asked.rate, {}, {});
        std::ostringstream csv, json, table;
        writeModes(csv, Format::Csv, q, modes);
        writeModes(json, Format::Json, q, modes);
        const std::int32_t rates[] = {asked.rate};
        writeTable(table, Format::Csv, q, tableOf(q.port.peripheral, q.crystal, rates, {}, {}));
        const std::string first = csvLines(csv.str()).front();
        EXPECT_EQ(first, header.empty() ? (header = first) : header) << asked.family;
        EXPECT_EQ(csvLines(table.str()).front(), header) << asked.family;
        EXPECT_NE(csv.str().find(mode), std::string::npos) << csv.str();
        // The JSON's lowercase keys, each once: the datasheet's names are upper case.
        std::string named;
        std::istringstream doc(json.str());
        for (std::string line; std::getline(doc, line);) {
            const auto quote = line.find('"');
            if (quote == std::string::npos || std::islower(line[quote + 1]) == 0)
                continue;
            const std::string key = line.substr(quote, line.find('"', quote + 1) - quote + 1);
            if (named.find(key) == std::string::npos)
                named += key;
        }
        EXPECT_EQ(named, keys.empty() ? (keys = named) : keys) << asked.family;
        concatenated += csv.str().substr(first.size() + 2);
    }
    // One header over the lines of every family: each line has its fields.
    const auto fields = [](const std::string& l) { return std::count(l.begin(), l.end(), ','); };
    for (const std::string& line : csvLines(concatenated))
        EXPECT_EQ(fields(line), fields(header)) << line;
    EXPECT_EQ(used, std::size(worked)) << "a worked line names no family";
}

// The grids the companions show: headings, cells, the verdict in words where
// no verdict column stands beside a deviation, and the cells' flags.
TEST(Grids, CellsAndMarks) {
    const Port part = portFor("", "PIC16C74A-I/P");  // its erratum avoids 001
    const std::int32_t rates[] = {9600, 115200};
    const Grid table = tableGrid(part.family(), tableOf(part.peripheral, 20000000, rates, {}, {}));
    const auto fits = crystalsFor(eusart(), rates, {}, {}, 3000000, 4000000);
    const Grid crystals = crystalsGrid(eusart(), rates, fits);
    const Grid modes = modesGrid(
        part.family(), compareModes(part.peripheral, 20000000, 9600, {.clockErrorPercent = 1}, {}),
        true);
    struct Case {
        const Grid& grid;
        std::size_t row, column;
        std::string_view heading, text;
        bool best = false, number = true;
        Tone tone = Tone::Plain;
    };
    const Case cases[] = {
        {table, 0, 0, "baud rate", "9600"},
        {table, 0, 2, "000 scost. %", "-1,36 (fuori)", true, true, Tone::Outside},
        {table, 0, 4, "001 scost. %", "0,16 (errata)", false, true, Tone::Outside},
        {table, 1, 3, "001 n", "10"},
        {crystals, 0, 0, "quarzo (Hz)", "3.686.400"},
        {crystals, 0, 1, "peggiore %", "0,00", false, true, Tone::Within},
        {crystals, 0, 2, "9600 baud: modo, n, scost. %", "000   n 5   0,00   ok", false, false,
         Tone::Within},
        {modes, 0, 0, "modo", "000 (migliore)", true, false},
        {modes, 1, 5, "SPBRG", "0x81"},
        {modes, 1, 8, "peggiore %", "1,16", false, true, Tone::Outside},
        {modes, 1, 9, "esito", "sconsigliato dall'errata", false, false, Tone::Outside},
    };
    for (const Case& c : cases) {
        ASSERT_LT(c.row, c.grid.rows.size()) << c.heading;
        ASSERT_LT(c.column, c.grid.headers.size()) << c.heading;
        const Cell& cell = c.grid.rows[c.row][c.column];
        EXPECT_EQ(c.grid.headers[c.column], c.heading);
        EXPECT_EQ(cell.text, c.text) << c.heading;
        EXPECT_EQ(cell.best, c.best) << c.heading;
        EXPECT_EQ(cell.number, c.number) << c.heading;
        EXPECT_EQ(cell.tone, c.tone) << c.heading;
    }
}

}  // namespace
}  // namespace velmiro::report
