#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillon {

// Texts the polling windows show for "no value".
inline constexpr const char* kNoValueText = "----------";
inline constexpr const char* kNanText = "NAN";

// A 32-bit value of HART data, most significant byte first.
std::uint32_t BigEndianU32(const std::uint8_t* bytes);

// IEEE 754 single whose exponent bits are all ones (not-a-number or infinity):
// such a value is shown as "NAN" and kept out of statistics and files.
bool IsNanPattern(std::uint32_t bits);

// Fixed notation of `value` rounded to `significant` significant digits and
// written with exactly `decimals` digits after `separator`; places beyond the
// significant digits read 0 (123.456789 with 8 and 7 gives "123.4567900").
// When the integer part alone needs more than `significant` digits the value
// cannot be written that way without inventing digits, so it is written in
// scientific notation with `significant` significant digits instead
// ("1.2345679E+08"). Non-finite values give "NAN". Zero never carries a sign.
std::string FormatFixed(double value, int significant, int decimals, char separator);

// The number formats of the polls.
inline std::string FormatValue7(double v, char sep) { return FormatFixed(v, 8, 7, sep); }
inline std::string FormatValue4(double v, char sep) { return FormatFixed(v, 7, 4, sep); }
inline std::string FormatPeriod(double v, char sep) { return FormatFixed(v, 8, 3, sep); }

// Each byte as two upper-case hex digits followed by a space: "FF 86 0A ".
std::string HexDump(const std::uint8_t* bytes, std::size_t count);

}  // namespace quillon
