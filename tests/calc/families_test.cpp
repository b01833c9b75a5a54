#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "velmiro/calc.h"

namespace velmiro {
namespace {

const Family& family(std::string_view key) {
    const Family* found = findFamily(key);
    EXPECT_NE(found, nullptr) << key;
    return found != nullptr ? *found : eusart();
}

// n and the deviation to two decimals, as a datasheet's table prints them.
std::string worked(const Peripheral& peripheral, std::int32_t clock, std::int32_t rate,
                   std::string_view key) {
    const ModeInfo* mode = findMode(*peripheral.family, key);
    if (mode == nullptr)
        return "no mode";
    const ModeResult r = registerForRate(peripheral, clock, rate, *mode, {});
    const double hundredths = std::round(*r.deviationPercent * 100.0) / 100.0;
    return std::to_string(r.registerValue) + (r.limited() ? " limited " : " ") +
           std::to_string(hundredths).substr(0, hundredths < 0 ? 5 : 4);
}

// Published worked values of each family.
TEST(Families, WorkedValues) {
    struct Case {
        std::string_view family;
        std::int32_t clock, rate;
        std::string_view key;
        std::string_view shown;
    };
    const Case cases[] = {
        {"usart", 20000000, 9600, "001", "129 0.16"},
        {"usart", 20000000, 1200, "000", "255 limited 1.73"},
        {"usart", 20000000, 1200, "011", "no mode"},
        {"uart16", 8000000, 9600, "0", "25 0.16"},
        {"uart16", 32000000, 115200, "1", "34 -0.79"},  // not 68: Fcy = Fosc / 2
        {"pic32", 36000000, 115200, "1", "77 0.16"},
        {"pic32", 36000000, 115200, "0", "19 -2.34"},  // not truncated to 18
        {"uart18", 16000000, 9600, "0", "103 0.16"},
        {"uart18", 16000000, 9600, "1", "416 -0.08"},
        {"eusart", 20000000, 19200, "011", "259 0.16"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(worked(family(c.family), c.clock, c.rate, c.key), c.shown) << c.family;
}

// Each family's modes, as keys, divisors and register widths, in table order.
TEST(Families, ModesAndRegisters) {
    struct Case {
        std::string_view family;
        std::string_view modes;  // key/divisor/maximum ...
    };
    const Case cases[] = {
        {"eusart", "000/64/255 001/16/255 010/16/65535 011/4/65535 100/4/255 110/4/65535"},
        {"usart", "000/64/255 001/16/255 100/4/255"},
        {"uart18", "0/16/65535 1/4/65535"},
        {"uart16", "0/16/65535 1/4/65535"},
        {"pic32", "0/16/65535 1/4/65535"},
    };
    ASSERT_EQ(families().size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(families()[i].key, cases[i].family);
        std::string shown;
        for (const ModeInfo& m : families()[i].modes) {
            shown += (shown.empty() ? "" : " ") + std::string(m.key) + "/" +
                     std::to_string(m.divisor) + "/" + std::to_string(registerMaximum(m.mode));
        }
        EXPECT_EQ(shown, cases[i].modes);
    }
    EXPECT_EQ(modeKeysOf(family("usart")), "000, 001, 100");
    EXPECT_EQ(findFamily("EUSART"), nullptr);
}

// The best mode follows the family: a USART is never told to use a mode it lacks.
TEST(Families, BestModeOfTheFamily) {
    const Comparison usart = compareModes(family("usart"), 20000000, 1200, {}, {});
    ASSERT_NE(usart.bestMode(), nullptr);
    EXPECT_EQ(usart.bestMode()->mode->key, "000");
    EXPECT_EQ(usart.bestMode()->verdict, Verdict::OutOfTolerance);
    EXPECT_EQ(compareModes(eusart(), 20000000, 1200, {}, {}).bestMode()->mode->key, "011");
    EXPECT_EQ(compareModes(family("usart"), 20000000, 1200, {}, {true, ""}).bestMode()->mode->key,
              "100");
    // A given n in a one-bit family: BRGH = 1 divides the generator clock by 4.
    const Comparison given = compareRegister(family("uart16"), 32000000, 34, 115200, {}, {});
    ASSERT_EQ(given.modes.size(), 2U);
    EXPECT_NEAR(*given.modes[1].achieved, 16000000.0 / 140, 1e-6);
    EXPECT_EQ(given.bestMode()->mode->key, "1");
}

TEST(Families, CrystalsFollowTheFamily) {
    // 1200 baud from 40 MHz up needs n above 255: only a 16-bit register holds it.
    const std::int32_t rates[] = {1200};
    EXPECT_TRUE(crystalsFor(family("usart"), rates, {}, {}, 40000000, 64000000).empty());
    const auto fits = crystalsFor(eusart(), rates, {}, {}, 40000000, 64000000);
    ASSERT_FALSE(fits.empty());
    EXPECT_EQ(fits.front().rates.front().mode->key, "010");
}

// ---------------------------------------------------------------- part numbers

TEST(Devices, PartsPickTheirFamily) {
    struct Case {
        std::string_view text;
        std::string_view family;  // empty: refused
        std::string_view part;
    };
    const Case cases[] = {
        {"PIC16F877A", "usart", "PIC16F877A"},
        {"16f877a", "usart", "PIC16F877A"},
        {"PIC16F877AT-I/PT", "usart", "PIC16F877A"},
        {"pic16f628a", "usart", "PIC16F628A"},
        {"PIC16F88", "usart", "PIC16F88"},
        {"PIC16C74B", "usart", "PIC16C74B"},
        {"PIC18F452", "usart", "PIC18F452"},
        {"PIC18F258", "usart", "PIC18F258"},
        {"PIC16F887", "eusart", "PIC16F887"},
        {"PIC16F1827-I/P", "eusart", "PIC16F1827"},
        {"PIC16LF1827", "eusart", "PIC16LF1827"},
        {"PIC16F18446", "eusart", "PIC16F18446"},
        {"PIC18F4550", "eusart", "PIC18F4550"},
        {"PIC18LF46K22", "eusart", "PIC18LF46K22"},
        {"PIC18F45K20", "eusart", "PIC18F45K20"},
        {"PIC18F26K40", "eusart", "PIC18F26K40"},
        {"PIC18F26K80", "eusart", "PIC18F26K80"},
        {"PIC18F46J50", "eusart", "PIC18F46J50"},
        {"PIC18F2620", "eusart", "PIC18F2620"},
        {"PIC18F26K42", "uart18", "PIC18F26K42"},
        {"PIC18F26K83", "uart18", "PIC18F26K83"},
        {"PIC18F47Q43", "uart18", "PIC18F47Q43"},
        {"PIC18F16Q41", "uart18", "PIC18F16Q41"},
        {"PIC18F56Q71", "uart18", "PIC18F56Q71"},
        {"PIC18F26Q84", "uart18", "PIC18F26Q84"},
        {"pic24fj64ga002", "uart16", "PIC24FJ64GA002"},
        {"PIC24HJ128GP502", "uart16", "PIC24HJ128GP502"},
        {"PIC24EP512GU810", "uart16", "PIC24EP512GU810"},
        {"dsPIC33FJ128GP802", "uart16", "dsPIC33FJ128GP802"},
        {"DSPIC33EP256MU806-I/PT", "uart16", "dsPIC33EP256MU806"},
        {"dsPIC30F2020", "uart16", "dsPIC30F2020"},
        {"dsPIC30F1010", "uart16", "dsPIC30F1010"},
        {"PIC32MX250F128B", "pic32", "PIC32MX250F128B"},
        {"PIC32MZ2048EFH144", "pic32", "PIC32MZ2048EFH144"},
        {"PIC32MM0064GPL028", "pic32", "PIC32MM0064GPL028"},
        {"PIC32MK1024GPE100", "pic32", "PIC32MK1024GPE100"},
        {"PIC16F84A", "", "PIC16F84A"},  // no serial port
        {"PIC12F675", "", "PIC12F675"},
        {"PIC18F8720", "", "PIC18F8720"},
        {"", "", ""},
        {"PIC", "", "PIC"},
    };
    for (const Case& c : cases) {
        const Device d = deviceFromText(c.text);
        EXPECT_EQ(d.part, c.part) << c.text;
        EXPECT_EQ(d.family != nullptr ? d.family->key : "", c.family) << c.text;
        EXPECT_EQ(d.problem, c.family.empty() ? DeviceProblem::Unknown : DeviceProblem::None)
            << c.text;
    }
}

TEST(Devices, OutsideThisStepIsRefusedNeverGuessed) {
    for (const std::string_view part : {"dsPIC30F4013", "dsPIC30F3011", "DSPIC30F6014A"})
        EXPECT_EQ(deviceFromText(part).problem, DeviceProblem::OutsideDspic30f) << part;
    for (const std::string_view part :
         {"dsPIC33CK256MP505", "dsPIC33CH512MP508", "dsPIC33AK128MC106"}) {
        const Device d = deviceFromText(part);
        EXPECT_EQ(d.problem, DeviceProblem::OutsideFractional) << part;
        EXPECT_EQ(d.family, nullptr) << part;
    }
}

// ---------------------------------------------------------------- errata

TEST(Errata, PartsThatCarryThem) {
    struct Case {
        std::string_view part;
        std::string_view touched;  // the keys an erratum touches, empty for none
    };
    const Case cases[] = {
        {"PIC16C63", "001"},    {"PIC16CR63", "001"},       {"PIC16C65", "001"},
        {"PIC16C65A", "001"},   {"PIC16CR65", "001"},       {"PIC16C73", "001"},
        {"PIC16C73A", "001"},   {"PIC16C74", "001"},        {"PIC16C74A", "001"},
        {"PIC16C73B", ""},      {"PIC16C76", ""},           {"PIC16F1824", "011"},
        {"PIC16LF1825", "011"}, {"PIC16F1828", "011"},      {"PIC16F1829-I/P", "011"},
        {"PIC16F1827", ""},     {"PIC18F87K22", "100 110"}, {"PIC18F65K22", "100 110"},
        {"PIC18F46K22", ""},    {"PIC18F4520", "100 110"},
    };
    for (const Case& c : cases) {
        const Device d = deviceFromText(c.part);
        ASSERT_NE(d.family, nullptr) << c.part;
        std::string touched;
        for (const ModeInfo& m : d.family->modes) {
            if (d.peripheral().registerMinimum(m) > 0 || d.peripheral().avoided(m))
                touched += (touched.empty() ? "" : " ") + std::string(m.key);
        }
        EXPECT_EQ(touched, c.touched) << c.part;
        EXPECT_EQ(d.erratum != nullptr, !c.touched.empty()) << c.part;
    }
}

TEST(Errata, BrghOneIsListedButNeverBest) {
    const Peripheral c74 = deviceFromText("PIC16C74A").peripheral();
    const Comparison modes = compareModes(c74, 20000000, 9600, {}, {});
    ASSERT_EQ(modes.modes.size(), 3U);
    EXPECT_EQ(modes.modes[1].mode->key, "001");
    EXPECT_EQ(modes.modes[1].verdict, Verdict::Avoided);
    EXPECT_EQ(modes.modes[1].registerValue, 129);  // still computed and shown
    EXPECT_EQ(modes.bestMode()->mode->key, "000");
    // Chosen alone, it still does not become best.
    EXPECT_EQ(compareModes(c74, 20000000, 9600, {}, {false, "001"}).bestMode(), nullptr);
    EXPECT_EQ(compareModes(family("usart"), 20000000, 9600, {}, {}).bestMode()->mode->key, "001");
}

TEST(Errata, RegisterMinimumIsLoadedAndJudgedForwards) {
    struct Case {
        std::string_view part;
        std::int32_t clock, rate;
        std::string_view key;
        std::int64_t loaded, needed;
    };
    const Case cases[] = {
        {"PIC16F1824", 4000000, 1000000, "011", 1, 0},
        {"PIC16F1827", 4000000, 1000000, "011", 0, 0},
        {"PIC16F1824", 4000000, 1000000, "010", 0, -1},  // only 011 is touched
        {"PIC18F87K22", 20000000, 5000000, "100", 2, 0},
        {"PIC18F87K22", 20000000, 2500000, "110", 2, 1},
        {"PIC18F87K22", 20000000, 5000000, "011", 0, 0},
    };
    for (const Case& c : cases) {
        const Device d = deviceFromText(c.part);
        const ModeInfo& mode = *findMode(*d.family, c.key);
        const ModeResult r = registerForRate(d.peripheral(), c.clock, c.rate, mode, {});
        EXPECT_EQ(r.registerValue, c.loaded) << c.part << " " << c.key;
        EXPECT_EQ(r.neededRegister, c.needed) << c.part << " " << c.key;
        const double forwards = double(c.clock) / double(mode.divisor * (c.loaded + 1));
        EXPECT_DOUBLE_EQ(*r.achieved, forwards) << c.part << " " << c.key;
    }
    // A given n below the minimum is not one the part can load.
    const Device k22 = deviceFromText("PIC18F87K22");
    const ModeInfo& sync = *findMode(eusart(), "100");
    EXPECT_EQ(rateForRegister(k22.peripheral(), 20000000, 1, {}, sync, {}).verdict,
              Verdict::RegisterTooSmall);
    EXPECT_TRUE(rateForRegister(k22.peripheral(), 20000000, 2, {}, sync, {}).registerHolds());
}

}  // namespace
}  // namespace velmiro
