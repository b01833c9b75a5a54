#include <gtest/gtest.h>

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

std::string modesIn(Format format, const Asked& a) {
    const Query q{a.clock, a.rate, {}, {}, portFor(a.family, a.part)};
    std::ostringstream out;
    writeModes(out, format, q, compareModes(q.port.peripheral, a.clock, a.rate, {}, {}));
    return out.str();
}

std::string headerOf(const Asked& a) {
    const Query q{a.clock, a.rate, {}, {}, portFor(a.family, a.part)};
    const Comparison modes = compareModes(q.port.peripheral, a.clock, a.rate, {}, {});
    std::ostringstream out;
    writeHeader(out, "U_", q, *modes.bestMode());
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

// The worked values of each family in every format: text row, CSV line, JSON fields.
TEST(FamilyOutputs, WorkedValuesInEveryFormat) {
    struct Case {
        Asked asked;
        std::string_view row;  // the text row of the mode, from its key on
        std::string_view csv;  // the CSV fields up to the divisor
        std::string_view json;
    };
    const Case cases[] = {
        {{"usart", 20000000, 9600},
         "* 001      0     1        16          129   0x81     9615,38      0,16  ok",
         "usart,,20000000,001,0,1,16,129",
         R"("spbrg": 129,)"},
        {{"uart16", 8000000, 9600},
         "* 0        0        16           25  0x0019     9615,38      0,16  ok",
         "uart16,,4000000,0,0,16,25",
         R"("uxbrg": 25,)"},
        {{"uart16", 32000000, 115200},
         "* 1        1         4           34  0x0022   114285,71     -0,79  ok",
         "uart16,,16000000,1,1,4,34",
         R"("generator_clock_hz": 16000000,)"},
        {{"pic32", 36000000, 115200},
         "* 1        1         4           77  0x004D   115384,62      0,16  ok",
         "pic32,,36000000,1,1,4,77",
         R"("uxbrg": 77,)"},
        {{"pic32", 36000000, 115200},
         "  0        0        16           19  0x0013   112500,00     -2,34  fuori tolleranza",
         "pic32,,36000000,0,0,16,19",
         R"("brgh": 0,)"},
        {{"uart18", 16000000, 9600},
         "  0        0        16          103    0x00    0x67     9615,38      0,16  ok",
         "uart18,,16000000,0,0,16,103",
         R"("u1brgl": 103,)"},
        {{"usart", 20000000, 9600, "PIC16C74A-I/P"},
         "  001      0     1        16          129   0x81     9615,38      0,16  sconsigliato "
         "dall'errata",
         "usart,PIC16C74A,20000000,001,0,1,16,129",
         R"("verdict": "avoided_by_erratum",)"},
    };
    for (const Case& c : cases) {
        const Asked& a = c.asked;
        EXPECT_EQ(lineOf(modesIn(Format::Text, a), std::string(c.row.substr(0, 5))), c.row)
            << a.family << " " << a.rate;
        EXPECT_NE(modesIn(Format::Csv, a).find(c.csv), std::string::npos) << c.csv;
        EXPECT_NE(modesIn(Format::Json, a).find(c.json), std::string::npos) << c.json;
    }
}

TEST(FamilyOutputs, ColumnsAndLinesUnderTheQuestion) {
    struct Case {
        Asked asked;
        std::string_view columns;  // the column titles, up to "ottenuti"
        std::string_view second;   // the line after the question
    };
    const Case cases[] = {
        {{"eusart", 20000000, 19200},
         "  modo  SYNC  BRG16  BRGH  divisore            n  SPBRGH  SPBRG    ottenuti",
         ""},
        {{"usart", 20000000, 19200},
         "  modo  SYNC  BRGH  divisore            n  SPBRG    ottenuti",
         ""},
        {{"uart18", 20000000, 19200},
         "  modo  BRGS  divisore            n  U1BRGH  U1BRGL    ottenuti",
         ""},
        {{"uart16", 32000000, 19200},
         "  modo  BRGH  divisore            n   UxBRG    ottenuti",
         "Fcy = Fosc / 2 = 16.000.000 Hz"},
        {{"uart16", 7372801, 19200},
         "  modo  BRGH  divisore            n   UxBRG    ottenuti",
         "Fcy = Fosc / 2 = 3.686.400,5 Hz"},
        {{"pic32", 40000000, 19200}, "  modo  BRGH  divisore            n   UxBRG    ottenuti", ""},
        {{"", 20000000, 19200, "pic18lf46k22"},
         "  modo  SYNC  BRG16  BRGH  divisore            n  SPBRGH  SPBRG    ottenuti",
         "Dispositivo PIC18LF46K22 (famiglia eusart)"},
    };
    for (const Case& c : cases) {
        const std::string text = modesIn(Format::Text, c.asked);
        EXPECT_EQ(lineOf(text, "  modo").substr(0, c.columns.size()), c.columns);
        EXPECT_EQ(text.substr(text.find('\n') + 1, c.second.size() + 1),
                  std::string(c.second) + "\n")
            << text;
    }
    EXPECT_EQ(modesIn(Format::Text, {"pic32", 40000000, 19200}).rfind("PBCLK 40000000 Hz", 0), 0U);
}

// The header's #define names, in order, for each family.
TEST(FamilyOutputs, HeaderNamesFollowTheFamily) {
    struct Case {
        Asked asked;
        std::string_view names;
    };
    const Case cases[] = {
        {{"eusart", 20000000, 19200},
         "FOSC BAUD BAUD_REAL BAUD_ERROR_PPM SYNC BRG16 BRGH BRG SPBRG SPBRGH"},
        {{"usart", 20000000, 19200}, "FOSC BAUD BAUD_REAL BAUD_ERROR_PPM SYNC BRGH BRG SPBRG"},
        {{"uart18", 16000000, 9600},
         "FOSC BAUD BAUD_REAL BAUD_ERROR_PPM BRGS BRG UXBRG UXBRGL UXBRGH"},
        {{"uart16", 32000000, 115200}, "FOSC FCY BAUD BAUD_REAL BAUD_ERROR_PPM BRGH BRG UXBRG"},
        {{"pic32", 36000000, 115200}, "PBCLK BAUD BAUD_REAL BAUD_ERROR_PPM BRGH BRG UXBRG"},
    };
    for (const Case& c : cases) {
        std::istringstream lines(headerOf(c.asked));
        std::string names;
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("#define U_", 0) == 0 && line.find("BAUD_H") == std::string::npos)
                names += (names.empty() ? "" : " ") + line.substr(10, line.find(' ', 10) - 10);
        }
        EXPECT_EQ(names, c.names) << c.asked.family;
    }
    const std::string uart16 = headerOf({"uart16", 32000000, 115200, "dsPIC33EP256MU806"});
    EXPECT_NE(uart16.find("#define U_FCY 16000000UL\n"), std::string::npos);
    EXPECT_NE(uart16.find("#define U_UXBRG 0x0022\n"), std::string::npos);
    EXPECT_NE(uart16.find("/* dsPIC33EP256MU806, famiglia uart16 */\n#ifndef"), std::string::npos);
    const std::string c74 = headerOf({"", 20000000, 9600, "PIC16C74A"});
    EXPECT_NE(c74.find("#define U_SPBRG 0x20\n"), std::string::npos);  // 000, not the avoided 001
    EXPECT_NE(c74.find("/* nota: l'errata"), std::string::npos);
}

TEST(FamilyOutputs, TopLevelKeysAfterTheJudgement) {
    const std::string json = modesIn(Format::Json, {"", 8000001, 9600, "pic24fj64ga002"});
    EXPECT_NE(json.find(R"("clock_error_percent": 0.0,
  "family": "uart16",
  "device": "PIC24FJ64GA002",
  "generator_clock_hz": 4000000.5,
  "modes")"),
              std::string::npos)
        << json;
    EXPECT_NE(modesIn(Format::Json, {"eusart", 20000000, 9600}).find(R"("device": null,)"),
              std::string::npos);
}

TEST(Messages, PartsThatDoNotRead) {
    const std::string unknown = deviceProblem("PIC99Z1", deviceFromText("PIC99Z1"));
    EXPECT_EQ(unknown.rfind("«PIC99Z1» non è un dispositivo", 0), 0U) << unknown;
    EXPECT_NE(unknown.find("--family"), std::string::npos);
    for (const Family& f : families())
        EXPECT_NE(unknown.find("\n  " + std::string(f.key) + " "), std::string::npos) << f.key;
    EXPECT_NE(deviceProblem("dsPIC30F4013", deviceFromText("dsPIC30F4013")).find("1010 e 202x"),
              std::string::npos);
    EXPECT_NE(
        deviceProblem("dsPIC33CK64MC105", deviceFromText("dsPIC33CK64MC105")).find("frazionario"),
        std::string::npos);
    EXPECT_EQ(deviceProblem("16f877a", deviceFromText("16f877a")), "");

    const Device f877a = deviceFromText("16f877a");
    EXPECT_EQ(familyConflict(f877a, *findFamily("usart")), "");
    EXPECT_EQ(familyConflict(f877a, eusart()),
              "PIC16F877A ha la famiglia usart, non eusart: togliere --family o usare "
              "--family usart");
}

TEST(Hints, TheFastestRateIsTheGeneratorClockOverFour) {
    EXPECT_EQ(rateHint(eusart(), 20000000, 5000000), "");
    EXPECT_EQ(rateHint(*findFamily("uart16"), 32000000, 4000000), "");
    EXPECT_EQ(rateHint(*findFamily("uart16"), 32000000, 4000001),
              "BAUD: 4000001 è oltre il massimo di questo Fosc, 4000000 baud (Fcy / 4, n = 0)");
}

}  // namespace
}  // namespace velmiro::report
