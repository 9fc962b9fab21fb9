#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/link_state.h"

namespace quillon {

// Numbers typed into dialogs and numbers shown in them, with the user's
// decimal separator. An engineer types "4,5" or "4.5" whatever the system
// uses, so every '.' and ',' of a field becomes the system separator first,
// and the field shows the result.
std::string NormaliseDecimalSeparators(std::string_view text, char separator);

// A decimal number as typed: optional spaces around, optional sign, digits
// with at most one `separator`, optional exponent (E or e). Nothing else.
std::optional<double> ParseDecimalText(std::string_view text, char separator);

// The message shown after "Введены неправильные цифры!" when a field does not
// hold a number.
std::string NotDecimalNumberText(const std::string& text);

// The nearest single to `value` (round to nearest, ties to even); nothing when
// `value` is not finite or lies so far beyond the largest single that it would
// round to infinity. Every number typed or read from a file that is to become
// a single goes through here, so that no infinity reaches a device or a file.
std::optional<float> SingleFromDouble(double value);

// ParseDecimalText, then SingleFromDouble.
std::optional<float> ParseSingleText(std::string_view text, char separator);

// The message for a typed number too large for a single.
std::string SingleOutOfRangeText(const std::string& text, char separator);

// Why `text` (already normalised) is not a single: not a number at all, or
// out of the range of a single.
std::string NotSingleText(const std::string& text, char separator);

// The usual handling of a field that becomes a single: normalises `field` in
// place and converts it. When it does not convert (not a number, or a number
// too large for a single), shows "Введены неправильные цифры!" and then why
// (both error boxes) and returns nothing, so that the caller shows its dialog
// again.
std::optional<float> TakeSingleDecimalField(LinkState& s, std::string& field);

// General format with `precision` significant digits, as the tool has always
// shown floats: the shortest of fixed and scientific notation, no trailing
// zeros, a separator only when needed. Fixed while the integer part has at
// most `precision` digits and |value| >= 0.00001, else scientific ("1,5E-6",
// "1,234568E+10"). Zero is "0"; not-a-number and infinities are "NAN".
std::string FormatGeneral(double value, int precision, char separator);

// Fixed notation with exactly `decimals` digits after the separator ("%.*f").
// Not-a-number and infinities are "NAN".
std::string FormatDecimals(double value, int decimals, char separator);

}  // namespace quillon
