#include "device/number_entry.h"

#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr const char* kNanText = "NAN";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void UseSeparator(std::string& text, char separator) {
    for (char& c : text)
        if (c == '.') c = separator;
}

}  // namespace

std::string NormaliseDecimalSeparators(std::string_view text, char separator) {
    std::string out(text);
    for (char& c : out)
        if (c == '.' || c == ',') c = separator;
    return out;
}

namespace {

// The text in the plain form from_chars takes, when it has the shape of a
// decimal number; whether its value fits a double is not judged here.
std::optional<std::string> DecimalShape(std::string_view text, char separator) {
    const auto space = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);

    // Check the shape by hand: from_chars alone would take "1e", "inf" or a
    // leading '+' differently on different library versions.
    std::string plain;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain += '-';
        ++i;
    }
    int digits = 0;
    while (i < text.size() && IsDigit(text[i])) plain += text[i++], ++digits;
    if (i < text.size() && text[i] == separator) {
        plain += '.';
        ++i;
        while (i < text.size() && IsDigit(text[i])) plain += text[i++], ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        int exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) plain += text[i++], ++exponentDigits;
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    return plain;
}

}  // namespace

std::optional<double> ParseDecimalText(std::string_view text, char separator) {
    const std::optional<std::string> plain = DecimalShape(text, separator);
    if (!plain) return std::nullopt;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(plain->data(), plain->data() + plain->size(), value);
    if (ec != std::errc{} || end != plain->data() + plain->size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string NotDecimalNumberText(const std::string& text) { return "«" + text + "» не является числом."; }

std::optional<float> SingleFromDouble(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    // Halfway between the largest single and the next power of two: from here
    // on a value rounds to infinity.
    constexpr double kRoundsToInfinity = 0x1.ffffffp+127;
    const double magnitude = std::fabs(value);
    if (magnitude >= kRoundsToInfinity) return std::nullopt;
    // Above the largest single the conversion of a double is not defined by the
    // language, although the value still rounds to it.
    if (magnitude > static_cast<double>(FLT_MAX)) return value > 0 ? FLT_MAX : -FLT_MAX;
    return static_cast<float>(value);
}

std::optional<float> ParseSingleText(std::string_view text, char separator) {
    const std::optional<double> value = ParseDecimalText(text, separator);
    if (!value) return std::nullopt;
    return SingleFromDouble(*value);
}

std::string SingleOutOfRangeText(const std::string& text, char separator) {
    return "«" + text + "» вне допустимого диапазона: число должно быть не больше " +
           FormatGeneral(FLT_MAX, 7, separator) + " по модулю.";
}

std::string NotSingleText(const std::string& text, char separator) {
    return DecimalShape(text, separator) ? SingleOutOfRangeText(text, separator) : NotDecimalNumberText(text);
}

std::optional<float> TakeSingleDecimalField(LinkState& s, std::string& field) {
    field = NormaliseDecimalSeparators(field, s.decimalSeparator);
    const std::optional<float> value = ParseSingleText(field, s.decimalSeparator);
    if (!value) {
        ErrorBox(s, "Введены неправильные цифры!");
        ErrorBox(s, NotSingleText(field, s.decimalSeparator));
    }
    return value;
}

std::string FormatGeneral(double value, int precision, char separator) {
    if (!std::isfinite(value)) return kNanText;
    if (precision < 1) precision = 1;
    if (precision > 17) precision = 17;
    if (value == 0.0) return "0";

    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", precision - 1, value);
    // Mantissa digits without trailing zeros, and the decimal exponent of the rounded value.
    char* e = std::strchr(buf, 'e');
    const int exponent = std::atoi(e + 1);
    *e = '\0';
    std::string mantissa(buf);
    const bool negative = mantissa[0] == '-';
    if (negative) mantissa.erase(0, 1);
    std::string digits;
    for (char c : mantissa)
        if (IsDigit(c)) digits += c;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string text = negative ? "-" : "";
    if (exponent < precision && std::fabs(value) >= 0.00001) {
        if (exponent < 0) {
            text += "0.";
            text.append(static_cast<std::size_t>(-exponent - 1), '0');
            text += digits;
        } else {
            const std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= integerDigits) {
                text += digits;
                text.append(integerDigits - digits.size(), '0');
            } else {
                text += digits.substr(0, integerDigits);
                text += '.';
                text += digits.substr(integerDigits);
            }
        }
    } else {
        text += digits.substr(0, 1);
        if (digits.size() > 1) text += "." + digits.substr(1);
        text += exponent < 0 ? "E-" : "E+";
        text += std::to_string(std::abs(exponent));
    }
    UseSeparator(text, separator);
    return text;
}

std::string FormatDecimals(double value, int decimals, char separator) {
    if (!std::isfinite(value)) return kNanText;
    if (decimals < 0) decimals = 0;
    if (decimals > 20) decimals = 20;
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    std::string text(buf);
    UseSeparator(text, separator);
    return text;
}

}  // namespace quillon
