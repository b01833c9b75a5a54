#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "failure_of.h"
#include "velmiro/calc.h"

namespace velmiro {
namespace {

TEST(ModeTable, KeysAndDivisors) {
    const char* keys[] = {"000", "001", "010", "011", "100", "101", "110", "111"};
    const std::int16_t divisors[] = {64, 16, 16, 4, 4, 0, 4, 0};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(modeKeyOf({(i >> 2) & 1, (i >> 1) & 1, i & 1}), keys[i]);
        EXPECT_EQ(divisorForKey(keys[i]), divisors[i]) << keys[i];
    }
    for (const char* key : {"", "01", "0010", " 01", "0o1"})
        EXPECT_EQ(divisorForKey(key), 0) << key;
}

// Runs the stages as the window does and tells what it would show, up to a failure.
std::string outcome(std::int32_t f, std::int32_t b, std::int16_t d) {
    std::string shown;
    try {
        const std::int16_t n = registerValueFor(f, b, d);
        shown = std::to_string(n);
        if (isTooLow(n))
            return shown + " too low";
        const std::int32_t a = achievedRateFor(f, n, d);
        shown += " " + std::to_string(a);
        const Deviation p = deviationFor(a, b);
        // The composition must agree with the stages.
        const GeneratorResult r = computeGenerator(f, b, d);
        EXPECT_TRUE(r.outcome == Outcome::Computed && r.registerValue == n && r.achievedRate == a &&
                    r.deviation.percent == p.percent);
        return shown + " " + textOfDeviation(p.percent) + (p.outOfTolerance ? " out" : " in");
    } catch (const CalcError& e) {
        EXPECT_EQ(failureOf([&] { (void)computeGenerator(f, b, d); }), e.kind());
        return shown + (shown.empty() ? "" : " ") + e.what();
    }
}

TEST(GeneratorLaw, StagesAndFailures) {
    struct Case {
        std::int32_t f, b;
        std::int16_t d;
        const char* shown;
    };
    constexpr std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();
    const Case cases[] = {
        {20000000, 19200, 16, "64 19231 0,16 in"},
        {20000000, 9600, 64, "32 9470 -1,35 out"},
        {4000000, 9600, 64, "6 8929 -6,99 out"},
        {20000000, 115200, 4, "42 116279 0,94 in"},
        {8000000, 9600, 4, "207 9615 0,16 in"},
        {1400000, 100000, 4, "2 116667 16,67 out"},  // q = 2.5 ties down to 2
        {20000000, 1200, 16, "1041 1200 0,0 in"},    // above 255 is still reported
        {65535, 2, 1, "32766 2 0,0 in"},             // q = 32766.5 ties down; (n + 1) * 1 = 32767
        {32764, 1, 4, "8190 1 0,0 in"},              // (n + 1) * 4 = 32764, the largest product
        {1000000, 115200, 16, "0 too low"},
        {0, 9600, 16, "-1 too low"},
        {-65535, 2, 1, "-32768 too low"},      // q = -32768.5 ties to the even -32768
        {20000000, 600, 16, "2082 overflow"},  // (n + 1) * D = 33328
        {32768, 1, 4, "8191 overflow"},        // (n + 1) * D = 32768
        {32768, 1, 1, "32767 overflow"},       // n + 1 leaves 16 bits
        {20000000, 100, 4, "overflow"},        // q = 49999
        {65537, 2, 1, "overflow"},             // q = 32767.5 ties up to 32768
        {-65537, 2, 1, "overflow"},            // q = -32769.5 ties down to -32770
        {int32Min, 1, 64, "overflow"},
        {20000000, 0, 16, "division by zero"},
        {0, 0, 16, "overflow"},  // 0 / 0 is an invalid operation
        {20000000, 9600, 0, "division by zero"},
        {0, 9600, 0, "overflow"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(outcome(c.f, c.b, c.d), c.shown) << c.f << " / " << c.b << " / " << c.d;
    }
}

TEST(GeneratorLaw, AchievedRateTiesToEvenAndStaysIn32Bits) {
    EXPECT_EQ(achievedRateFor(20, 1, 4), 2);    // 2.5
    EXPECT_EQ(achievedRateFor(28, 1, 4), 4);    // 3.5
    EXPECT_EQ(achievedRateFor(-20, 1, 4), -2);  // -2.5
    EXPECT_EQ(
        failureOf([] { (void)achievedRateFor(std::numeric_limits<std::int32_t>::min(), 0, -1); }),
        CalcErrorKind::Overflow);
}

TEST(Deviation, ToleranceOnTheStoredFloatAndFailures) {
    EXPECT_TRUE(deviationFor(101, 100).outOfTolerance);               // exactly +1 %
    EXPECT_TRUE(deviationFor(99, 100).outOfTolerance);                // exactly -1 %
    EXPECT_FALSE(deviationFor(100999999, 100000000).outOfTolerance);  // 0.999999 %
    // 0.99999999 % is below 1 as a double but 1.0 once stored as a float.
    EXPECT_TRUE(deviationFor(101000001, 100000001).outOfTolerance);
    EXPECT_EQ(failureOf([] { (void)deviationFor(std::numeric_limits<std::int32_t>::max(), -1); }),
              CalcErrorKind::Overflow);
    EXPECT_EQ(failureOf([] { (void)deviationFor(5, 0); }), CalcErrorKind::DivisionByZero);
    EXPECT_EQ(failureOf([] { (void)deviationFor(0, 0); }), CalcErrorKind::Overflow);
}

// Wherever the window's 16-bit stages compute a result, the register-accurate
// law asks for the same n but at an exact tie (upward there, to even in the
// window), and where it loads that n gives the same achieved rate, rounded.
TEST(TwoPolicies, AgreeWhereTheWindowComputes) {
    int compared = 0;
    for (std::int32_t f : {1000000, 1843200, 4000000, 5068800, 11059200, 20000000, 64000000}) {
        for (std::int32_t b : {300, 1200, 9600, 19200, 57600, 115200, 250000, 1000000}) {
            for (const ModeInfo& mode : modeTable()) {
                GeneratorResult window;
                try {
                    window = computeGenerator(f, b, mode.divisor);
                } catch (const CalcError&) {
                    continue;  // (n + 1) * D beyond 16 bits: the window stops there
                }
                if (window.outcome != Outcome::Computed)
                    continue;
                const ModeResult wide = registerForRate(eusart(), f, b, mode, {});
                // At a tie 2F / m is odd, and the upper neighbour is (2F / m - 1) / 2.
                const std::int64_t m = std::int64_t{b} * mode.divisor;
                const std::int64_t twice = 2 * std::int64_t{f} / m;
                const bool tie = 2 * std::int64_t{f} % m == 0 && twice % 2 == 1;
                EXPECT_EQ(wide.neededRegister, tie ? (twice - 1) / 2 : window.registerValue)
                    << f << " " << b << " " << mode.key;
                if (!tie && !wide.limited()) {
                    EXPECT_EQ(std::nearbyint(*wide.achieved), window.achievedRate)
                        << f << " " << b << " " << mode.key;
                }
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 150);
}

}  // namespace
}  // namespace velmiro
