#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "velmiro/calc.h"

namespace velmiro {
namespace {

const Family& family(std::string_view key) {
    const Family* found = findFamily(key);
    EXPECT_NE(found, nullptr) << key;
    return found != nullptr ? *found : eusart();
}

// Each word of a list of parts, as people write them.
std::vector<std::string> words(std::string_view list) {
    std::istringstream in{std::string(list)};
    return {std::istream_iterator<std::string>(in), {}};
}

// The best mode follows the family: a USART is never told to use a mode it lacks.
TEST(Families, BestModeOfTheFamily) {
    const Comparison usart = compareModes(family("usart"), 20000000, 1200, {}, {});
    EXPECT_EQ(usart.bestMode()->mode->key, "000");
    EXPECT_EQ(compareModes(eusart(), 20000000, 1200, {}, {}).bestMode()->mode->key, "011");
    EXPECT_EQ(compareModes(family("usart"), 20000000, 1200, {}, {true, ""}).bestMode()->mode->key,
              "100");
    EXPECT_EQ(findMode(family("usart"), "011"), nullptr);
    EXPECT_EQ(modeKeysOf(family("usart")), "000, 001, 100");
    // A given n in a one-bit family: BRGH = 1 divides Fcy by 4.
    const Comparison given = compareRegister(family("uart16"), 32000000, 34, 115200, {}, {});
    EXPECT_DOUBLE_EQ(*given.bestMode()->achieved, 16000000.0 / 140);
}

TEST(Devices, PartsPickTheirFamily) {
    struct Case {
        std::string_view family;  // empty: unknown
        std::string_view parts;
    };
    const Case cases[] = {
        {"usart",
         "PIC16F877A 16f877a PIC16F877AT-I/PT pic16f628a PIC16F88 PIC16C74B PIC18F452 "
         "PIC18F258"},
        {"eusart",
         "PIC16F887 PIC16F1827-I/P PIC16LF1827 PIC16F18446 PIC18F4550 PIC18LF46K22 "
         "PIC18F45K20 PIC18F26K40 PIC18F26K80 PIC18F46J50 PIC18F2620"},
        {"uart18", "PIC18F26K42 PIC18F26K83 PIC18F47Q43 PIC18F16Q41 PIC18F56Q71 PIC18F26Q84"},
        {"uart16",
         "pic24fj64ga002 PIC24HJ128GP502 PIC24EP512GU810 dsPIC33FJ128GP802 "
         "DSPIC33EP256MU806-I/PT dsPIC30F2020 dsPIC30F2023 dsPIC30F1010"},
        {"pic32", "PIC32MX250F128B PIC32MZ2048EFH144 PIC32MM0064GPL028 PIC32MK1024GPE100"},
        {"", "PIC16F84A PIC12F675 PIC18F8720 PIC dsPIC35F1"},
    };
    for (const Case& c : cases) {
        for (const std::string& part : words(c.parts)) {
            const Device d = deviceFromText(part);
            EXPECT_EQ(d.family != nullptr ? d.family->key : "", c.family) << part;
            EXPECT_EQ(d.problem == DeviceProblem::Unknown, c.family.empty()) << part;
        }
    }
    // The part as read: upper case, "PIC" or "dsPIC" in front, the package left out.
    const std::string_view read[][2] = {
        {"16f877a", "PIC16F877A"},
        {"PIC16F877AT-I/PT", "PIC16F877A"},
        {"pic18lf46k22", "PIC18LF46K22"},
        {"DSPIC33EP256MU806-I/PT", "dsPIC33EP256MU806"},
        {"", ""},
    };
    for (const auto& [typed, part] : read)
        EXPECT_EQ(deviceFromText(typed).part, part);
}

// The newer ports and their part groups: the clock each counts, and its most.
TEST(Devices, NewFamiliesAndPartClocks) {
    struct Case {
        std::string_view part, family, clock;
        std::int64_t maximum;
    };
    const Case cases[] = {
        {"dsPIC30F4013", "dspic30f", "Fosc", 120000000},
        {"dsPIC30F2020", "uart16", "Fosc", 0},
        {"dsPIC33CK256MP508", "uart33c", "Fosc", 200000000},
        {"dsPIC33CH512MP508", "uart33c", "Fosc", 200000000},
        {"dsPIC33AK128MC106", "uart33a", "FUART", 0},
        {"PIC32MX250F128B", "pic32", "PBCLK", 50000000},
        {"PIC32MX795F512L", "pic32", "PBCLK", 120000000},
        {"PIC32MZ2048EFH144", "pic32", "PBCLK2", 100000000},
        {"PIC32MK1024GPE100", "pic32", "PBCLK2", 120000000},
        {"PIC32MM0064GPL028", "pic32", "PBCLK", 25000000},
        {"PIC16F877A", "usart", "Fosc", 20000000},
        {"PIC24FJ64GA002", "uart16", "Fosc", 32000000},
    };
    for (const Case& c : cases) {
        const Device d = deviceFromText(c.part);
        ASSERT_NE(d.family, nullptr) << c.part;
        EXPECT_EQ(d.family->key, c.family) << c.part;
        EXPECT_EQ(d.peripheral().inputName(), c.clock) << c.part;
        EXPECT_EQ(d.clock != nullptr ? d.clock->maximum : 0, c.maximum) << c.part;
    }
}

// The worked values of the multiprotocol UART and the dsPIC30F, from the
// clock the user gives through the chain.
TEST(Families, NewWorkedValues) {
    struct Case {
        std::string_view family, key;
        ClockPoint given;
        std::string_view source;
        std::int32_t clock, rate;
        std::int64_t n;
        double achieved;
    };
    const Case cases[] = {
        {"uart33c", "10", ClockPoint::Generator, "", 100000000, 115200, 868, 100000000.0 / 868},
        {"uart33c", "10", ClockPoint::Generator, "", 4000000, 115200, 35, 4000000.0 / 35},
        {"uart33c", "10", ClockPoint::Generator, "", 4000000, 9600, 417, 4000000.0 / 417},
        {"uart33c", "10", ClockPoint::Input, "fosc", 8000000, 100000, 80, 100000.0},
        {"uart33c", "00", ClockPoint::Input, "", 200000000, 9600, 650, 1e8 / (16.0 * 651)},
        {"uart33c", "01", ClockPoint::Input, "afvco/3", 12000000, 250000, 3, 250000.0},
        {"uart33c", "10", ClockPoint::Generator, "", 100000000, 10000000, 16, 6250000.0},
        {"uart33a", "10", ClockPoint::Input, "", 50000000, 921600, 54, 50000000.0 / 54},
        {"dspic30f", "0", ClockPoint::Input, "", 16000000, 9600, 25, 4000000.0 / 416},
        {"uart33a", "00", ClockPoint::Input, "", 100000000, 5, 1048575, 1e8 / (16.0 * 1048576)},
    };
    for (const Case& c : cases) {
        Peripheral p(*findFamily(c.family));
        p.chain.given = c.given;
        p.chain.source = c.source.empty() ? nullptr : findSource(*p.family, c.source);
        const ModeInfo& mode = *findMode(*p.family, c.key);
        const ModeResult r = registerForRate(p, c.clock, c.rate, mode, {});
        EXPECT_EQ(r.registerValue, c.n) << c.family << " " << c.rate;
        EXPECT_DOUBLE_EQ(*r.achieved, c.achieved) << c.family << " " << c.rate;
    }
    // A PLL of 4 from an 8 MHz crystal: Fosc 32 MHz, Fcy 16 MHz, 34 at -0.79 %.
    Peripheral pic24(*findFamily("uart16"));
    pic24.chain = {ClockPoint::Oscillator, 40, 10, nullptr};
    const Comparison c = compareModes(pic24, 8000000, 115200, {}, {});
    EXPECT_EQ(c.bestMode()->registerValue, 34);
    EXPECT_DOUBLE_EQ(pic24.inputClock(8000000), 32000000.0);
    EXPECT_DOUBLE_EQ(pic24.generatorClock(8000000), 16000000.0);
    // A tie goes to the mode that reads each bit by majority: 868 before 216.
    Peripheral ck(*findFamily("uart33c"));
    ck.chain.given = ClockPoint::Generator;
    EXPECT_EQ(compareModes(ck, 100000000, 115200, {}, {}).bestMode()->mode->key, "10");
    EXPECT_EQ(fastestRate(ck, 100000000).divisor, 4);
}

// ---------------------------------------------------------------- errata

TEST(Errata, PartsThatCarryThem) {
    struct Case {
        std::string_view touched;  // the modes an erratum touches
        std::string_view parts;
    };
    const Case cases[] = {
        {"001",
         "PIC16C63 PIC16CR63 PIC16C65 PIC16C65A PIC16CR65 PIC16C73 PIC16C73A PIC16C74 "
         "PIC16C74A PIC16LC74A"},
        {"011", "PIC16F1824 PIC16LF1825 PIC16F1828 PIC16F1829-I/P"},
        {"100 110", "PIC18F87K22 PIC18F65K22 PIC18F4520"},
        {"", "PIC16C73B PIC16C76 PIC16F1827 PIC18F46K22"},
    };
    for (const Case& c : cases) {
        for (const std::string& part : words(c.parts)) {
            const Device d = deviceFromText(part);
            ASSERT_NE(d.family, nullptr) << part;
            std::string touched;
            for (const ModeInfo& m : d.family->modes) {
                if (d.peripheral().registerMinimum(m) > 0 || d.peripheral().avoided(m))
                    touched += (touched.empty() ? "" : " ") + std::string(m.key);
            }
            EXPECT_EQ(touched, c.touched) << part;
        }
    }
}

TEST(Errata, BrghOneIsListedButNeverBest) {
    const Peripheral c74 = deviceFromText("PIC16C74A").peripheral();
    const Comparison modes = compareModes(c74, 20000000, 9600, {}, {});
    EXPECT_EQ(modes.modes[1].verdict, Verdict::Avoided);
    EXPECT_EQ(modes.modes[1].registerValue, 129);  // still computed and shown
    EXPECT_EQ(modes.bestMode()->mode->key, "000");
    // Chosen alone, it still does not become best.
    EXPECT_EQ(compareModes(c74, 20000000, 9600, {}, {false, "001"}).bestMode(), nullptr);
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
    };
    for (const Case& c : cases) {
        const Device d = deviceFromText(c.part);
        const ModeInfo& mode = *findMode(*d.family, c.key);
        const ModeResult r = registerForRate(d.peripheral(), c.clock, c.rate, mode, {});
        EXPECT_EQ(r.registerValue, c.loaded) << c.part << " " << c.key;
        EXPECT_EQ(r.neededRegister, c.needed) << c.part << " " << c.key;
        EXPECT_DOUBLE_EQ(*r.achieved, double(c.clock) / double(mode.divisor * (c.loaded + 1)));
    }
    // A given n below the minimum is not one the part can load.
    const Peripheral k22 = deviceFromText("PIC18F87K22").peripheral();
    const ModeInfo& sync = *findMode(eusart(), "100");
    EXPECT_EQ(rateForRegister(k22, 20000000, 1, {}, sync, {}).verdict, Verdict::RegisterTooSmall);
    EXPECT_TRUE(rateForRegister(k22, 20000000, 2, {}, sync, {}).registerHolds());
}

}  // namespace
}  // namespace velmiro
