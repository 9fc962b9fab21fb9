#include "device/polling_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillon {

std::uint32_t BigEndianU32(const std::uint8_t* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
           std::uint32_t{bytes[3]};
}

bool IsNanPattern(std::uint32_t bits) { return (bits & 0x7F800000u) == 0x7F800000u; }

namespace {

void UseSeparator(std::string& text, char separator) {
    for (char& c : text)
        if (c == '.') c = separator;
}

bool AllZeroDigits(const std::string& text) {
    for (char c : text)
        if (c >= '1' && c <= '9') return false;
    return true;
}

}  // namespace

std::string FormatFixed(double value, int significant, int decimals, char separator) {
    if (!std::isfinite(value)) return kNanText;
    if (significant < 1) significant = 1;
    if (decimals < 0) decimals = 0;

    // Round to the significant digits first; the exponent of that rounded form
    // tells how many of them fall after the decimal point.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", significant - 1, value);
    const char* e = std::strchr(buf, 'e');
    const int exponent = e ? std::atoi(e + 1) : 0;

    std::string text;
    if (value != 0.0 && exponent >= significant) {
        std::snprintf(buf, sizeof buf, "%.*E", significant - 1, value);
        text = buf;
    } else {
        const int shown = value == 0.0 ? decimals : std::min(decimals, significant - 1 - exponent);
        std::snprintf(buf, sizeof buf, "%.*f", std::max(shown, 0), value);
        text = buf;
        if (decimals > 0 && shown <= 0) text += '.';
        text.append(static_cast<std::size_t>(decimals - std::max(shown, 0)), '0');
        if (text[0] == '-' && AllZeroDigits(text)) text.erase(0, 1);
    }
    UseSeparator(text, separator);
    return text;
}

std::string HexDump(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
        text += ' ';
    }
    return text;
}

}  // namespace quillon
