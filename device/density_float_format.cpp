#include <bit>
#include <cmath>

#include "device/density_constants.h"

namespace quillon {

std::array<std::uint8_t, 4> ToDensityFloat(float value) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(std::fabs(value));
    if (bits == 0) return {0, 0, 0, 0};
    const std::uint32_t mantissa = bits & 0x7FFFFFu;
    return {static_cast<std::uint8_t>(mantissa), static_cast<std::uint8_t>(mantissa >> 8),
            static_cast<std::uint8_t>(((mantissa >> 16) & 0x7Fu) | 0x80u), static_cast<std::uint8_t>(bits >> 23)};
}

float FromDensityFloat(const std::uint8_t* bytes) {
    const std::uint32_t bits = (std::uint32_t{bytes[3]} << 23) | (std::uint32_t{bytes[2] & 0x7Fu} << 16) |
                               (std::uint32_t{bytes[1]} << 8) | std::uint32_t{bytes[0]};
    return std::bit_cast<float>(bits);
}

}  // namespace quillon
