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

// The usual handling of a float field: normalises `field` in place and
// converts it. When it does not convert, shows "Введены неправильные цифры!"
// and then the conversion's own message (both error boxes) and returns
// nothing, so that the caller shows its dialog again.
std::optional<double> TakeDecimalField(LinkState& s, std::string& field);

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
