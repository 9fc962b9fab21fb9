#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "link/exchange_buffer.h"

namespace quillon {

// Gain codes 0..3 select gains 1, 2, 32 and 128.
struct VelkorConverterSettings {
    std::uint8_t gainCode = 1;
    std::uint8_t averagingPoints = 9;
};
inline constexpr VelkorConverterSettings kDefaultConverterSettings{};
inline constexpr std::uint8_t kMinAveragingPoints = 1;
inline constexpr std::uint8_t kMaxAveragingPoints = 9;

// Two points of a linear map from loop current (mA) to the reported value.
struct CurrentToValueConversion {
    std::uint8_t enabled = 0;
    float current1 = 4.0f;
    float value1 = 4.0f;
    float current2 = 20.0f;
    float value2 = 20.0f;
};
inline constexpr std::size_t kConversionBytes = 17;
using ConversionBytes = std::array<std::uint8_t, kConversionBytes>;

// Enabled flag, then the four floats most significant byte first.
ConversionBytes PackConversion(const CurrentToValueConversion& c);
CurrentToValueConversion UnpackConversion(const std::uint8_t* bytes);

// Answer data of command 193, when its shape is right: byte count 5 and the
// echo 0. The gain code is the low two bits of the gain byte.
std::optional<VelkorConverterSettings> ConverterSettingsFromAnswer(const ExchangeBuffer& b);

// The unit code of a parameter-block answer for index 109, when its check
// byte verifies. An answer too short to hold code and check never verifies.
std::optional<std::uint8_t> UnitCodeFromAnswer(const ExchangeBuffer& b);

}  // namespace quillon
