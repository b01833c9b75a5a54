#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "failure_of.h"
#include "velmiro/calc.h"

namespace velmiro {
namespace {

constexpr std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();

TEST(IntegerFromText, AcceptedForms) {
    struct Case {
        const char* text;
        std::int32_t value;
    };
    const Case cases[] = {
        {"20.000.000", 20000000},
        {"19.200", 19200},
        {"9600", 9600},
        {"007", 7},
        {"-5", -5},
        {"+7", 7},
        {" \t42\t ", 42},
        {"2147483647", 2147483647},
        {"-2147483648", int32Min},
        {"-2.147.483.648", int32Min},
        {"1.000,4", 1000},
        // decimal parts round to the nearest integer, ties to the even one
        {"2,5", 2},
        {"3,5", 4},
        {"-2,5", -2},
        {"2,5000001", 3},
        {"2147483646,5", 2147483646},
        {"-2147483648,5", int32Min},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(integerFromText(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(IntegerFromText, RejectedForms) {
    const char* mismatches[] = {
        "",
        "19.2" /* not a silent 192 */,
        "19.20",
        "19.",
        "1.000.",
        "1.00.000",
        "1.0.0",
        "1234.567",
        ".500",
        "1..000",
        "5,",
        ",5",
        "1,000.5",
        "1 000",
        "- 5",
        "1e3",
        "20 MHz",
        "\xd9\xa1\xd9\xa2" /* Arabic-Indic 12 */,
        "99999999999999999999999x" /* malformed before too large */,
    };
    const char* overflows[] = {
        "2147483648",
        "-2147483649",
        "2147483647,5" /* ties up to the even 2147483648 */,
        "-9.999.999.999.999.999.999.999",
        "123456789012345678901234567890123456789012345678901234567890",
    };
    for (const char* text : mismatches) {
        EXPECT_EQ(failureOf([&] { (void)integerFromText(text); }), CalcErrorKind::TypeMismatch)
            << text;
    }
    for (const char* text : overflows) {
        EXPECT_EQ(failureOf([&] { (void)integerFromText(text); }), CalcErrorKind::Overflow) << text;
    }
}

// The command line's quantities: every window form, k or M with either separator, and the
// spellings engineers type: any case of the unit, 9k6, bps and baud.
TEST(QuantityFromText, SuffixesAndTwoReadings) {
    const std::pair<const char*, std::int32_t> accepted[] = {
        {"20.000.000", 20000000},
        {"20M", 20000000},
        {"11,0592M", 11059200},
        {"11.0592MHz", 11059200},
        {"57,6k", 57600},
        {"115.2k", 115200},
        {"1.000,5k", 1000500},
        {"1,0000005M", 1000000},
        {"1,0000015M", 1000002},
        {"2147,483647M", 2147483647},
        {"20MHz", 20000000},
        {"20mhz", 20000000},
        {"20K", 20000},
        {"20Hz", 20},
        {"9k6", 9600},
        {"115k2", 115200},
        {"1M5", 1500000},
        {"115200bps", 115200},
        {"115200 Baud", 115200},
        {"115.2kBPS", 115200},
    };
    for (const auto& [text, value] : accepted)
        EXPECT_EQ(quantityFromText(text), value) << text;
    const std::pair<const char*, CalcErrorKind> refused[] = {
        {"1.000k", CalcErrorKind::Ambiguous},    {"20Hzk", CalcErrorKind::TypeMismatch},
        {"20m", CalcErrorKind::TypeMismatch},    {"k", CalcErrorKind::TypeMismatch},
        {"1.2.3k", CalcErrorKind::TypeMismatch}, {"2147,4836475M", CalcErrorKind::Overflow},
        {"19.2", CalcErrorKind::TypeMismatch},   {"Hz", CalcErrorKind::TypeMismatch},
        {"9k6k", CalcErrorKind::TypeMismatch},   {"k6", CalcErrorKind::TypeMismatch},
        {"9m6", CalcErrorKind::TypeMismatch},    {"20mbps", CalcErrorKind::TypeMismatch},
    };
    for (const auto& r : refused)
        EXPECT_EQ(failureOf([&] { (void)quantityFromText(r.first); }), r.second) << r.first;
}

TEST(TextOfDeviation, PatternWithOneOrTwoDecimals) {
    struct Case {
        float value;
        const char* text;
    };
    const Case cases[] = {
        {0.16145833f, "0,16"}, {-1.3541666f, "-1,35"}, {16.667f, "16,67"},       {0.0f, "0,0"},
        {0.5f, "0,5"},         {99.999f, "100,0"},     {1e10f, "10000000000,0"}, {-0.0f, "0,0"},
        {-0.004f, "0,0"},                         // zero, or rounded to zero: no sign
        {-0.005f, "0,0"},                         // the float lies just below 0.005
        {-0.006f, "-0,01"},    {0.125f, "0,13"},  // an exact binary tie rounds away from zero
        {0.105f, "0,1"},                          // the float lies just below 0.105
    };
    for (const Case& c : cases) {
        EXPECT_EQ(textOfDeviation(c.value), c.text) << c.value;
    }
    for (float v : {std::nanf(""), std::numeric_limits<float>::infinity()}) {
        EXPECT_EQ(failureOf([&] { (void)textOfDeviation(v); }), CalcErrorKind::Overflow);
    }
}

}  // namespace
}  // namespace velmiro
