#include "link/line_settings.h"

#include <array>

namespace quillon {

namespace {

struct HartSpeedOption {
    std::uint32_t baud;
    Parity parity;
};

constexpr std::array<HartSpeedOption, kHartSpeedOptionCount> kHartSpeeds{{
    {1200, Parity::Odd},
    {38400, Parity::Odd},
    {19200, Parity::None},
    {38400, Parity::None},
    {9600, Parity::None},
    {2400, Parity::None},
}};

constexpr std::array<std::uint32_t, kTunnelSpeedCount> kTunnelSpeeds{
    300, 600, 1200, 2400, 3200, 3600, 4800, 6400, 7200, 9600, 14400, 19200, 28800, 38400, 57600, 115200};

}  // namespace

LineSettings LineSettingsFor(const LinkSettings& s) {
    if (s.linkType == kLinkDirect) {
        if (s.hartSpeedIndex >= 0 && s.hartSpeedIndex < kHartSpeedOptionCount) {
            const auto& option = kHartSpeeds[static_cast<std::size_t>(s.hartSpeedIndex)];
            return {option.baud, option.parity};
        }
        return {2400, Parity::Odd};
    }
    if (s.linkType == kLinkTunnel) {
        if (s.portSpeedIndex >= 0 && s.portSpeedIndex < kTunnelSpeedCount)
            return {kTunnelSpeeds[static_cast<std::size_t>(s.portSpeedIndex)], Parity::None};
        return {1200, Parity::None};
    }
    return {1200, Parity::None};
}

std::uint32_t PortBaudRate(const LinkSettings& settings) { return LineSettingsFor(settings).baud; }

int BitsPerCharacter(const LineSettings& line) { return 9 + (line.parity == Parity::None ? 0 : 1) + 1; }

std::int64_t TransmissionTicks(std::size_t count, const LineSettings& line, std::int64_t counterFrequency) {
    // Integer arithmetic keeps the truncation exact: count * bits * frequency / baud.
    const std::int64_t bits = static_cast<std::int64_t>(count) * BitsPerCharacter(line);
    return bits * counterFrequency / static_cast<std::int64_t>(line.baud);
}

double TransmissionMicroseconds(std::size_t count, const LineSettings& line) {
    return static_cast<double>(count) * BitsPerCharacter(line) * 1e6 / line.baud;
}

}  // namespace quillon
