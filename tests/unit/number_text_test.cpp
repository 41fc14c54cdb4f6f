#include "core/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ulz {
namespace {

struct FloatCase {
    double value;
    const char* text;
};

class FloatToStrTest : public testing::TestWithParam<FloatCase> {};

TEST_P(FloatToStrTest, WritesGeneralFormWithComma) {
    EXPECT_EQ(floatToStr(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FloatToStrTest,
    testing::Values(
        FloatCase{0.0, "0"}, FloatCase{-0.0, "0"}, FloatCase{1.0, "1"}, FloatCase{-3.0, "-3"},
        FloatCase{49.95, "49,95"},
        FloatCase{std::floor(4995.00499) * 0.01, "49,95"},  // as the live average forms it
        FloatCase{29.990000000000002, "29,99"}, FloatCase{0.1, "0,1"}, FloatCase{-0.25, "-0,25"},
        FloatCase{1.0 / 3.0, "0,333333333333333"}, FloatCase{2.0 / 3.0, "0,666666666666667"},
        FloatCase{123456.789, "123456,789"}, FloatCase{100.0, "100"},
        FloatCase{1e14, "100000000000000"}, FloatCase{999999999999999.0, "999999999999999"},
        FloatCase{999999999999999.9, "1E15"}, FloatCase{1e15, "1E15"}, FloatCase{1.5e20, "1,5E20"},
        FloatCase{26087635204194700000.0, "2,60876352041947E19"}, FloatCase{-2.5e16, "-2,5E16"},
        FloatCase{0.00001, "0,00001"}, FloatCase{0.0000123, "0,0000123"},
        FloatCase{0.000001, "1E-6"}, FloatCase{1.25e-7, "1,25E-7"}, FloatCase{4.0e-300, "4E-300"}));

TEST(IntToStr, PlainDecimalWithMinus) {
    EXPECT_EQ(intToStr(0), "0");
    EXPECT_EQ(intToStr(19004), "19004");
    EXPECT_EQ(intToStr(-1), "-1");
    EXPECT_EQ(intToStr(std::numeric_limits<std::int32_t>::min()), "-2147483648");
    EXPECT_EQ(intToStr(4294967295LL), "4294967295");
}

struct ParseCase {
    const char* text;
    std::optional<double> value;
};

class StrToFloatTest : public testing::TestWithParam<ParseCase> {};

TEST_P(StrToFloatTest, ReadsCommaNumbers) {
    const auto got = strToFloat(GetParam().text);
    ASSERT_EQ(got.has_value(), GetParam().value.has_value()) << GetParam().text;
    if (got) {
        EXPECT_DOUBLE_EQ(*got, *GetParam().value) << GetParam().text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, StrToFloatTest,
    testing::Values(ParseCase{"49,95", 49.95}, ParseCase{" 12 ", 12.0}, ParseCase{"-0,5", -0.5},
                    ParseCase{"+3", 3.0}, ParseCase{",5", 0.5}, ParseCase{"5,", 5.0},
                    ParseCase{"2,60876352041947E19", 2.60876352041947e19}, ParseCase{"1E-6", 1e-6},
                    ParseCase{"1e+3", 1000.0}, ParseCase{"", std::nullopt},
                    ParseCase{",", std::nullopt}, ParseCase{"49.95", std::nullopt},
                    ParseCase{"1,2,3", std::nullopt}, ParseCase{"12ms", std::nullopt},
                    ParseCase{"1E", std::nullopt}, ParseCase{"N/A", std::nullopt},
                    ParseCase{"1E999", std::nullopt}));

TEST(StrToFloat, RoundTripsFormattedValues) {
    for (const double v : {49.95, 1.0 / 3.0, 2.60876352041947e19, -1e-7, 123456.789}) {
        const auto back = strToFloat(floatToStr(v));
        ASSERT_TRUE(back.has_value()) << v;
        EXPECT_EQ(floatToStr(*back), floatToStr(v));
    }
}

TEST(StrToIntDef, DecimalOrDefault) {
    EXPECT_EQ(strToIntDef("512000", 7), 512000);
    EXPECT_EQ(strToIntDef(" -42 ", 7), -42);
    EXPECT_EQ(strToIntDef("+5", 7), 5);
    EXPECT_EQ(strToIntDef("2147483647", 7), 2147483647);
    for (const char* bad : {"", " ", "+", "++5", "-", "12abc", "1,5", "2147483648", "0x10"}) {
        EXPECT_EQ(strToIntDef(bad, 7), 7) << bad;
    }
}

}  // namespace
}  // namespace ulz
