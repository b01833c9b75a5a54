#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "velmiro/calc.h"

namespace velmiro {
namespace {

TEST(IntegerFromText, AcceptedForms) {
    struct Case {
        const char* text;
        std::int32_t value;
    };
    const Case cases[] = {
        {"20.000.000", 20000000},
        {"19.200", 19200},
        {"1.000.000", 1000000},
        {"115.200", 115200},
        {"9600", 9600},
        {"0", 0},
        {"007", 7},
        {"-5", -5},
        {"+7", 7},
        {" \t42\t ", 42},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"-2.147.483.648", std::numeric_limits<std::int32_t>::min()},
        {"1.000,4", 1000},
        {"2,5", 2},  // decimal ties go to the even neighbour
        {"3,5", 4},
        {"-2,5", -2},
        {"-3,5", -4},
        {"2,500", 2},
        {"2,5000001", 3},
        {"2,4999999", 2},
        {"0,5", 0},
        {"2147483646,5", 2147483646},
        {"-2147483648,5", std::numeric_limits<std::int32_t>::min()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(integerFromText(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(IntegerFromText, RejectedForms) {
    struct Case {
        const char* text;
        CalcErrorKind kind;
    };
    using K = CalcErrorKind;
    const Case cases[] = {
        {"", K::TypeMismatch},
        {"   ", K::TypeMismatch},
        {"19.2", K::TypeMismatch},  // not a silent 192
        {"1.0.0", K::TypeMismatch},
        {"1.0000", K::TypeMismatch},
        {"1234.567", K::TypeMismatch},
        {".500", K::TypeMismatch},
        {"500.", K::TypeMismatch},
        {"1..000", K::TypeMismatch},
        {"5,", K::TypeMismatch},
        {",5", K::TypeMismatch},
        {"1,000.5", K::TypeMismatch},
        {"5,5,5", K::TypeMismatch},
        {"1 000", K::TypeMismatch},
        {"- 5", K::TypeMismatch},
        {"--5", K::TypeMismatch},
        {"-", K::TypeMismatch},
        {"5-", K::TypeMismatch},
        {"0x10", K::TypeMismatch},
        {"1e3", K::TypeMismatch},
        {"12a", K::TypeMismatch},
        {"20 MHz", K::TypeMismatch},
        {"\xd9\xa1\xd9\xa2", K::TypeMismatch},  // Arabic-Indic digits
        {"99999999999999999999999x", K::TypeMismatch},
        {"2147483648", K::Overflow},
        {"-2147483649", K::Overflow},
        {"3000000000", K::Overflow},
        {"2147483647,5", K::Overflow},  // ties up to the even 2147483648
        {"2147483647,51", K::Overflow},
        {"-9.999.999.999.999.999.999.999", K::Overflow},
        {"123456789012345678901234567890123456789012345678901234567890", K::Overflow},
    };
    for (const Case& c : cases) {
        try {
            const std::int32_t value = integerFromText(c.text);
            ADD_FAILURE() << '"' << c.text << "\" gave " << value;
        } catch (const CalcError& e) {
            EXPECT_EQ(e.kind(), c.kind) << '"' << c.text << '"';
        }
    }
}

TEST(TextOfInteger, PlainDigits) {
    EXPECT_EQ(textOfInteger(19231), "19231");
    EXPECT_EQ(textOfInteger(-1), "-1");
    EXPECT_EQ(textOfInteger(std::numeric_limits<std::int32_t>::min()), "-2147483648");
}

TEST(TextOfDeviation, PatternWithOneOrTwoDecimals) {
    struct Case {
        float value;
        const char* text;
    };
    const Case cases[] = {
        {0.16145833f, "0,16"},
        {-1.3541666f, "-1,35"},
        {16.667f, "16,67"},
        {0.0f, "0,0"},
        {2.0f, "2,0"},
        {0.5f, "0,5"},
        {-0.0f, "0,0"},      // no sign on zero
        {-0.004f, "0,0"},    // rounds to zero: no sign either
        {-0.005f, "0,0"},    // the float lies just below 0.005: rounds to zero
        {-0.006f, "-0,01"},
        {0.125f, "0,13"},    // an exact binary tie rounds away from zero
        {-0.125f, "-0,13"},
        {0.105f, "0,1"},     // the float lies just below 0.105
        {0.995f, "1,0"},
        {99.999f, "100,0"},
        {1e10f, "10000000000,0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(textOfDeviation(c.value), c.text) << c.value;
    }
}

TEST(TextOfDeviation, NonFiniteIsAnOverflow) {
    for (float v : {std::nanf(""), std::numeric_limits<float>::infinity(),
                    -std::numeric_limits<float>::infinity()}) {
        try {
            textOfDeviation(v);
            ADD_FAILURE() << v;
        } catch (const CalcError& e) {
            EXPECT_EQ(e.kind(), CalcErrorKind::Overflow);
        }
    }
}

}  // namespace
}  // namespace velmiro
