#include <gtest/gtest.h>

#include <limits>

#include "device/polling_format.h"
#include "device/unit_codes.h"

namespace quillon {
namespace {

TEST(PollFormat, FixedNotationRoundsToSignificantDigits) {
    struct Case {
        double value;
        int significant, decimals;
        char sep;
        const char* expected;
    } cases[] = {
        {21.5, 8, 7, '.', "21.5000000"},
        {21.5, 8, 7, ',', "21,5000000"},
        {123.456789, 8, 7, '.', "123.4567900"},  // places beyond 8 digits read 0
        {0.0123456789, 8, 7, '.', "0.0123457"},  // 7 decimals bind before 8 digits
        {0.0, 8, 7, '.', "0.0000000"},
        {-1e-9, 8, 7, '.', "0.0000000"},  // no "-0"
        {-3.25, 7, 4, '.', "-3.2500"},
        {9.99999999, 8, 7, '.', "10.0000000"},  // the carry adds an integer digit
        {12345678.9, 8, 7, '.', "12345679.0000000"},
        {123456789.0, 8, 7, '.', "1.2345679E+08"},  // more integer digits than significant ones
        {-99999999.7, 8, 7, ',', "-1,0000000E+08"},
        {1234.56789, 7, 4, '.', "1234.5680"},
        {1234567.8, 7, 4, '.', "1234568.0000"},
        {12345.6789, 8, 3, '.', "12345.679"},
        {3.0e38, 8, 7, '.', "3.0000000E+38"},
        {std::numeric_limits<double>::infinity(), 8, 7, '.', "NAN"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFixed(c.value, c.significant, c.decimals, c.sep), c.expected) << c.value;
}

TEST(PollFormat, NanPatternIsAnExponentOfAllOnes) {
    struct Case {
        std::uint32_t bits;
        bool nan;
    } cases[] = {
        {0x7FC00000, true},  {0x7F800000, true},  {0xFF800000, true},  {0x7F800001, true},
        {0x7F7FFFFF, false}, {0x00000000, false}, {0x41AC0000, false}, {0x807FFFFF, false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsNanPattern(c.bits), c.nan) << std::hex << c.bits;
}

TEST(PollFormat, HexDumpAndBigEndian) {
    const std::uint8_t bytes[] = {0xFF, 0x86, 0x0A, 0x41, 0xAC, 0x00, 0x00};
    EXPECT_EQ(HexDump(bytes, 3), "FF 86 0A ");
    EXPECT_EQ(HexDump(bytes, 0), "");
    EXPECT_EQ(BigEndianU32(bytes + 3), 0x41AC0000u);
}

TEST(UnitCodes, KnownAndUnknownCodes) {
    struct Case {
        std::uint8_t code;
        const char* text;
    } cases[] = {
        {4, "мм воды"}, {14, "Атмосфер"}, {32, "град. Цельс"}, {33, "град. Фаренгейта"},
        {39, "mA"},     {57, "%"},        {237, "MPa"},        {253, " "},
        // Published codes of other makers' devices: pressure and mass flow.
        {6, "psi"},     {75, "kg/h"},     {19, "m3/h"},
        {0, "?"},       {140, "?"},       {254, "?"},          {255, "?"},
    };
    for (const auto& c : cases) EXPECT_EQ(UnitText(c.code), c.text) << int(c.code);
}

}  // namespace
}  // namespace quillon
