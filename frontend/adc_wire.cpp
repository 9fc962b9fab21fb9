#include "frontend/adc_wire.h"

#include <bit>

#include "link/frame_codec.h"

namespace quillon {

namespace {

constexpr std::uint8_t kConverterAnswerByteCount = 5;

void PutFloat(std::uint8_t* out, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    out[0] = static_cast<std::uint8_t>(bits >> 24);
    out[1] = static_cast<std::uint8_t>(bits >> 16);
    out[2] = static_cast<std::uint8_t>(bits >> 8);
    out[3] = static_cast<std::uint8_t>(bits);
}

float GetFloat(const std::uint8_t* p) {
    return std::bit_cast<float>((std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
                                std::uint32_t{p[3]});
}

}  // namespace

ConversionBytes PackConversion(const CurrentToValueConversion& c) {
    ConversionBytes out{};
    out[0] = c.enabled;
    PutFloat(&out[1], c.current1);
    PutFloat(&out[5], c.value1);
    PutFloat(&out[9], c.current2);
    PutFloat(&out[13], c.value2);
    return out;
}

CurrentToValueConversion UnpackConversion(const std::uint8_t* bytes) {
    return {bytes[0], GetFloat(bytes + 1), GetFloat(bytes + 5), GetFloat(bytes + 9), GetFloat(bytes + 13)};
}

std::optional<VelkorConverterSettings> ConverterSettingsFromAnswer(const ExchangeBuffer& b) {
    if (AnswerByteCount(b) != kConverterAnswerByteCount) return std::nullopt;
    const std::size_t d = AnswerDataIndex(b);
    if (b.response[d] != 0) return std::nullopt;
    return VelkorConverterSettings{static_cast<std::uint8_t>(b.response[d + 1] & 0x03), b.response[d + 2]};
}

std::optional<std::uint8_t> UnitCodeFromAnswer(const ExchangeBuffer& b) {
    if (AnswerDataCount(b) < 2) return std::nullopt;
    const std::size_t d = AnswerDataIndex(b);
    const std::uint8_t code = b.response[d];
    if (b.response[d + 1] != (code ^ 0x4D)) return std::nullopt;
    return code;
}

}  // namespace quillon
