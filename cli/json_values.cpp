#include "cli/json_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace quillon::cli {

std::string LongAddressHex(const std::array<std::uint8_t, 5>& address) {
    return HexString(address.data(), address.size());
}

std::optional<std::array<std::uint8_t, 5>> ParseLongAddressHex(const std::string& text) {
    if (text.size() != 10) return std::nullopt;
    std::array<std::uint8_t, 5> address{};
    for (std::size_t i = 0; i < 5; ++i) {
        const auto [end, ec] = std::from_chars(text.data() + 2 * i, text.data() + 2 * i + 2, address[i], 16);
        if (ec != std::errc{} || end != text.data() + 2 * i + 2) return std::nullopt;
    }
    return address;
}

nlohmann::json SingleJson(float value) {
    if (!std::isfinite(value)) return nullptr;
    char text[32];
    for (int precision = 6; precision <= 9; ++precision) {
        std::snprintf(text, sizeof text, "%.*g", precision, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) break;
    }
    return std::strtod(text, nullptr);
}

nlohmann::json ShownNumberJson(const std::string& text) {
    if (text.empty()) return nullptr;
    const char* begin = text.data();
    const char* end = begin + text.size();
    long long whole = 0;
    if (const auto [p, ec] = std::from_chars(begin, end, whole); ec == std::errc{} && p == end) return whole;
    char* stop = nullptr;
    const double d = std::strtod(begin, &stop);
    if (stop != end || !std::isfinite(d)) return nullptr;
    return d;
}

std::string HexString(const std::uint8_t* bytes, std::size_t count) {
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

}  // namespace quillon::cli
