#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "failure_of.h"
#include "velmiro/calc.h"

namespace velmiro {
namespace {

constexpr std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t int32Max = std::numeric_limits<std::int32_t>::max();

TEST(ModeTable, EveryFlagCombinationHasItsKeyAndDivisor) {
    struct Case {
        GeneratorMode mode;
        const char* key;
        std::int16_t divisor;
    };
    const Case cases[] = {
        {{0, 0, 0}, "000", 64}, {{0, 0, 1}, "001", 16}, {{0, 1, 0}, "010", 16},
        {{0, 1, 1}, "011", 4},  {{1, 0, 0}, "100", 4},  {{1, 0, 1}, "101", 0},
        {{1, 1, 0}, "110", 4},  {{1, 1, 1}, "111", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(modeKeyOf(c.mode), c.key);
        EXPECT_EQ(divisorForKey(c.key), c.divisor) << c.key;
    }
}

TEST(ModeTable, OnlyExactKeysMatch) {
    for (const char* key : {"", "00", "0010", "01 ", " 01", "0o1", "1"}) {
        EXPECT_EQ(divisorForKey(key), 0) << '"' << key << '"';
    }
}

struct Worked {
    std::int32_t frequency;
    std::int32_t rate;
    const char* key;
    std::int16_t n;
    std::int32_t achieved;
    const char* deviation;  // as the window shows it
    bool out;
};

TEST(GeneratorLaw, WorkedValues) {
    const Worked cases[] = {
        {20000000, 19200, "001", 64, 19231, "0,16", false},
        {20000000, 9600, "000", 32, 9470, "-1,35", true},
        {4000000, 9600, "000", 6, 8929, "-6,99", true},
        {20000000, 115200, "011", 42, 116279, "0,94", false},
        {8000000, 9600, "100", 207, 9615, "0,16", false},
        {1400000, 100000, "011", 2, 116667, "16,67", true},  // q = 2.5 ties down to 2
        {20000000, 1200, "001", 1041, 1200, "0,0", false},   // above 255 is still reported
        {65535, 2, "", 32766, 2, "0,0", false},    // q = 32766.5 ties down; (n + 1) * 1 = 32767
        {32764, 1, "011", 8190, 1, "0,0", false},  // (n + 1) * 4 = 32764, the largest product
    };
    for (const Worked& c : cases) {
        SCOPED_TRACE(std::to_string(c.frequency) + " / " + std::to_string(c.rate));
        const std::int16_t divisor = *c.key ? divisorForKey(c.key) : 1;
        const GeneratorResult r = computeGenerator(c.frequency, c.rate, divisor);
        EXPECT_EQ(r.outcome, Outcome::Computed);
        EXPECT_EQ(r.registerValue, c.n);
        EXPECT_EQ(r.achievedRate, c.achieved);
        EXPECT_EQ(textOfDeviation(r.deviation.percent), c.deviation);
        EXPECT_EQ(r.deviation.outOfTolerance, c.out);
    }
}

TEST(GeneratorLaw, RegisterValueBelowOneIsTooLow) {
    struct Case {
        std::int32_t frequency, rate;
        std::int16_t divisor, n;
    };
    const Case cases[] = {
        {1000000, 115200, 16, 0},  // q is about -0.457
        {0, 9600, 16, -1},         // q = -1 exactly
        {-65535, 2, 1, -32768},    // q = -32768.5 ties to the even -32768, within 16 bits
    };
    for (const Case& c : cases) {
        const GeneratorResult r = computeGenerator(c.frequency, c.rate, c.divisor);
        EXPECT_EQ(r.outcome, Outcome::TooLow) << c.frequency;
        EXPECT_EQ(r.registerValue, c.n) << c.frequency;
    }
}

// Each failure, and whether the register value was already known when it arose.
TEST(GeneratorLaw, FailuresArriveAtTheirStage) {
    struct Case {
        const char* what;
        std::int32_t frequency, rate;
        std::int16_t divisor;
        CalcErrorKind kind;
        std::optional<std::int16_t> knownRegisterValue;
    };
    using K = CalcErrorKind;
    const Case cases[] = {
        {"(n+1)*D = 33328", 20000000, 600, 16, K::Overflow, 2082},
        {"(n+1)*D = 32768", 32768, 1, 4, K::Overflow, 8191},
        {"n + 1 leaves 16 bits", 32768, 1, 1, K::Overflow, 32767},
        {"q = 49999", 20000000, 100, 4, K::Overflow, std::nullopt},
        {"q = 32767.5 ties up to 32768", 65537, 2, 1, K::Overflow, std::nullopt},
        {"q = -32769.5 ties down to -32770", -65537, 2, 1, K::Overflow, std::nullopt},
        {"q far below -32768", int32Min, 1, 64, K::Overflow, std::nullopt},
        {"B = 0", 20000000, 0, 16, K::DivisionByZero, std::nullopt},
        {"0 / 0", 0, 0, 16, K::Overflow, std::nullopt},
        {"D = 0", 20000000, 9600, 0, K::DivisionByZero, std::nullopt},
        {"D = 0 with F = 0", 0, 9600, 0, K::Overflow, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(failureOf([&] { computeGenerator(c.frequency, c.rate, c.divisor); }), c.kind);
        if (c.knownRegisterValue) {
            EXPECT_EQ(registerValueFor(c.frequency, c.rate, c.divisor), *c.knownRegisterValue);
            EXPECT_EQ(
                failureOf([&] { achievedRateFor(c.frequency, *c.knownRegisterValue, c.divisor); }),
                c.kind);
        } else {
            EXPECT_EQ(failureOf([&] { registerValueFor(c.frequency, c.rate, c.divisor); }), c.kind);
        }
    }
}

TEST(GeneratorLaw, AchievedRateTiesToEvenAndStaysIn32Bits) {
    EXPECT_EQ(achievedRateFor(20, 1, 4), 2);    // 2.5
    EXPECT_EQ(achievedRateFor(28, 1, 4), 4);    // 3.5
    EXPECT_EQ(achievedRateFor(-20, 1, 4), -2);  // -2.5
    EXPECT_EQ(failureOf([] { achievedRateFor(int32Min, 0, -1); }), CalcErrorKind::Overflow);
    EXPECT_EQ(failureOf([] { achievedRateFor(5, 0, 0); }), CalcErrorKind::DivisionByZero);
    EXPECT_EQ(failureOf([] { achievedRateFor(0, 0, 0); }), CalcErrorKind::Overflow);
}

TEST(Deviation, ToleranceOnTheStoredFloatAndFailures) {
    struct Case {
        std::int32_t achieved, rate;
        bool out;
    };
    const Case cases[] = {
        {101, 100, true},               // exactly +1 %
        {99, 100, true},                // exactly -1 %
        {100999999, 100000000, false},  // 0.999999 % stays below 1 as a float
        {101000001, 100000001, true},   // 0.99999999 % is below 1 only as a double
        {100, 100, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(deviationFor(c.achieved, c.rate).outOfTolerance, c.out)
            << c.achieved << " vs " << c.rate;
    }
    EXPECT_EQ(failureOf([] { deviationFor(int32Max, -1); }), CalcErrorKind::Overflow);
    EXPECT_EQ(failureOf([] { deviationFor(5, 0); }), CalcErrorKind::DivisionByZero);
    EXPECT_EQ(failureOf([] { deviationFor(0, 0); }), CalcErrorKind::Overflow);
}

}  // namespace
}  // namespace velmiro
