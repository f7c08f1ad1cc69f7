#include "platform/vcl/format.h"

#include <gtest/gtest.h>

namespace {

struct SeparatorGuard {
    explicit SeparatorGuard(char c) : saved(vcl::DecimalSeparator) { vcl::DecimalSeparator = c; }
    ~SeparatorGuard() { vcl::DecimalSeparator = saved; }
    char saved;
};

struct FixedCase {
    double value;
    const char* text;
};

// Four significant digits or two decimals, whichever is coarser; half away from zero.
class FloatToStrFTest : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FloatToStrFTest, RoundsOnceToTheCoarserOfFourDigitsAndTwoDecimals) {
    SeparatorGuard dot('.');
    EXPECT_EQ(vcl::FloatToStrF(GetParam().value, vcl::TFloatFormat::ffFixed, 4, 2), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, FloatToStrFTest, ::testing::Values(
    FixedCase{0, "0.00"},
    FixedCase{123.456, "123.50"},
    FixedCase{1.23456, "1.23"},
    FixedCase{2.5, "2.50"},
    FixedCase{-16.0 * 5 / 8192, "-0.01"},
    FixedCase{14.625, "14.63"},       // half away from zero, on the decimal value
    FixedCase{2.675, "2.68"},         // 2.675 is 2.67499999... in binary; the text is rounded as written
    FixedCase{-2.675, "-2.68"},
    FixedCase{99.996, "100.00"},
    FixedCase{999.95, "1000.00"},
    FixedCase{199.98779296875, "200.00"},
    FixedCase{0.004, "0.00"},
    FixedCase{0.005, "0.01"},
    FixedCase{-0.001, "0.00"},
    FixedCase{12345.6, "12350.00"},
    FixedCase{50.0 * 5 * 0.01, "2.50"}));

TEST(FloatToStrF, UsesTheSystemDecimalSeparator) {
    SeparatorGuard comma(',');
    EXPECT_EQ(vcl::FloatToStrF(2.5, vcl::TFloatFormat::ffFixed, 4, 2), "2,50");
}

TEST(IntFormatting, DecimalAndHex) {
    EXPECT_EQ(vcl::IntToStr(-16), "-16");
    EXPECT_EQ(vcl::IntToStr(49152), "49152");
    EXPECT_EQ(vcl::IntToHex(0x2C, 2), "2C");
    EXPECT_EQ(vcl::IntToHex(0x0, 2), "00");
    EXPECT_EQ(vcl::IntToHex(0x1F, 1), "1F");
    EXPECT_EQ(vcl::IntToHex(0xABC, 2), "ABC");
}

TEST(StrToFloat, ConvertsOnlyWithTheSystemSeparator) {
    {
        SeparatorGuard comma(',');
        EXPECT_DOUBLE_EQ(vcl::StrToFloat("5,0"), 5.0);
        EXPECT_DOUBLE_EQ(vcl::StrToFloat("20,0"), 20.0);
        EXPECT_DOUBLE_EQ(vcl::StrToFloat("100"), 100.0);
        EXPECT_THROW(vcl::StrToFloat("5.0"), vcl::EConvertError);
    }
    SeparatorGuard dot('.');
    EXPECT_DOUBLE_EQ(vcl::StrToFloat(" 5.0 "), 5.0);
    EXPECT_DOUBLE_EQ(vcl::StrToFloat("-1.5"), -1.5);
    try {
        vcl::StrToFloat("5,0");
        FAIL() << "converted a comma under a dot separator";
    } catch (const vcl::EConvertError& e) {
        EXPECT_STREQ(e.what(), "'5,0' is not a valid floating point value");
    }
    for (const char* bad : {"", " ", "abc", "1.2.3", "5x", "--1"})
        EXPECT_THROW(vcl::StrToFloat(bad), vcl::EConvertError) << bad;
}

}  // namespace
