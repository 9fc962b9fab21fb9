#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <limits>

#include "device/number_entry.h"

namespace quillon {
namespace {

TEST(NumberEntry, EitherSeparatorBecomesTheSystemOne) {
    EXPECT_EQ(NormaliseDecimalSeparators("4,5", '.'), "4.5");
    EXPECT_EQ(NormaliseDecimalSeparators("4.5", ','), "4,5");
    EXPECT_EQ(NormaliseDecimalSeparators("1.2,3", ','), "1,2,3");
    EXPECT_EQ(NormaliseDecimalSeparators("abc", ','), "abc");
}

TEST(NumberEntry, DecimalTextAsTyped) {
    const struct {
        const char* text;
        char sep;
        bool ok;
        double value;
    } cases[] = {
        {"4.5", '.', true, 4.5},  {"4,5", ',', true, 4.5},    {" -3.25 ", '.', true, -3.25}, {"+7", '.', true, 7.0},
        {"20", ',', true, 20.0},  {"1E3", '.', true, 1000.0}, {"1.5e-2", '.', true, 0.015},  {".5", '.', true, 0.5},
        {"5.", '.', true, 5.0},   {"4,5", '.', false, 0},     {"", '.', false, 0},           {" ", '.', false, 0},
        {"-", '.', false, 0},     {".", '.', false, 0},       {"1e", '.', false, 0},         {"1.2.3", '.', false, 0},
        {"12a", '.', false, 0},   {"inf", '.', false, 0},     {"nan", '.', false, 0},        {"0x10", '.', false, 0},
        {"1e999", '.', false, 0}, {"--1", '.', false, 0},
    };
    for (const auto& c : cases) {
        const auto v = ParseDecimalText(c.text, c.sep);
        EXPECT_EQ(v.has_value(), c.ok) << c.text;
        if (v && c.ok) {
            EXPECT_DOUBLE_EQ(*v, c.value) << c.text;
        }
    }
}

// Singles round to nearest, ties to even: the largest single takes everything
// below the midpoint to the next power of two, the midpoint itself is infinity.
TEST(NumberEntry, SingleTextRoundsOrRefuses) {
    const float max = std::numeric_limits<float>::max();
    const float tiny = std::numeric_limits<float>::denorm_min();
    const struct {
        const char* text;
        std::optional<float> single;
        const char* whyNot;  // the message when refused
    } cases[] = {
        {"1,5", 1.5f, nullptr},
        {"3.40282346638529E+38", max, nullptr},  // what 15 digits make of the largest single
        {"3.4028235677973362e38", max, nullptr},
        {"-3.4028235677973362e38", -max, nullptr},
        {"3.4028235677973366e38", std::nullopt, "«3.4028235677973366e38» вне допустимого диапазона: число должно "
                                                "быть не больше 3.402823E+38 по модулю."},
        {"1e39", std::nullopt, "«1e39» вне допустимого диапазона: число должно быть не больше 3.402823E+38 по модулю."},
        {"-1E39", std::nullopt,
         "«-1E39» вне допустимого диапазона: число должно быть не больше 3.402823E+38 по модулю."},
        {"1e999", std::nullopt, "«1e999» вне допустимого диапазона: число должно быть не больше 3.402823E+38 по модулю."},
        {"1.17549435E-38", std::numeric_limits<float>::min(), nullptr},
        {"1.4e-45", tiny, nullptr},
        {"1e-50", 0.0f, nullptr},
        {"-0", -0.0f, nullptr},
        {"1e", std::nullopt, "«1e» не является числом."},
        {"nan", std::nullopt, "«nan» не является числом."},
    };
    for (const auto& c : cases) {
        const std::string normal = NormaliseDecimalSeparators(c.text, '.');
        const std::optional<float> got = ParseSingleText(normal, '.');
        ASSERT_EQ(got.has_value(), c.single.has_value()) << c.text;
        if (got)
            EXPECT_EQ(std::bit_cast<std::uint32_t>(*got), std::bit_cast<std::uint32_t>(*c.single)) << c.text;
        else
            EXPECT_EQ(NotSingleText(normal, '.'), c.whyNot) << c.text;
    }
    EXPECT_EQ(SingleFromDouble(std::nan("")), std::nullopt);
    EXPECT_EQ(SingleFromDouble(-HUGE_VAL), std::nullopt);
    EXPECT_EQ(SingleFromDouble(0.1), 0.1f);
}

TEST(NumberEntry, GeneralFormatWithSevenDigits) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {4.0, "4"},
        {20.0, "20"},
        {0.0, "0"},
        {-0.0, "0"},
        {4.5, "4,5"},
        {-12.25, "-12,25"},
        {1234567.0, "1234567"},
        {12345678.0, "1,234568E+7"},
        {0.001, "0,001"},
        {0.00001, "0,00001"},
        {0.000001, "1E-6"},
        {-0.0000015, "-1,5E-6"},
        {static_cast<float>(0.1), "0,1"},  // the float's extra digits are past the seventh
        {static_cast<float>(655.36), "655,36"},
        {9999999.5, "1E+7"},
        {2.0 / 3.0, "0,6666667"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
        {std::numeric_limits<double>::infinity(), "NAN"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatGeneral(c.value, 7, ','), c.text) << c.value;
    EXPECT_EQ(FormatGeneral(4.5, 7, '.'), "4.5");
}

TEST(NumberEntry, FixedDecimals) {
    EXPECT_EQ(FormatDecimals(20.5, 4, ','), "20,5000");
    EXPECT_EQ(FormatDecimals(1.0 / 3.0, 8, '.'), "0.33333333");
    EXPECT_EQ(FormatDecimals(12.0, 0, '.'), "12");
    EXPECT_EQ(FormatDecimals(std::nan(""), 2, '.'), "NAN");
}

}  // namespace
}  // namespace quillon
