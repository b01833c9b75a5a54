#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

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

}  // namespace
}  // namespace velmiro::report
