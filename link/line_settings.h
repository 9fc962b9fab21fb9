#pragma once

#include <cstdint>

#include "link/link_settings.h"
#include "link/serial_port.h"

namespace quillon {

inline constexpr int kHartSpeedOptionCount = 6;
inline constexpr int kTunnelSpeedCount = 16;

// Baud rate and parity of the port for the current link settings.
LineSettings LineSettingsFor(const LinkSettings& settings);
std::uint32_t PortBaudRate(const LinkSettings& settings);

// Start bit, 8 data bits, parity bit if any, one stop bit.
int BitsPerCharacter(const LineSettings& line);

// Counter ticks that `count` bytes take on the wire, truncated.
std::int64_t TransmissionTicks(std::size_t count, const LineSettings& line, std::int64_t counterFrequency);

// Wire time of `count` bytes in microseconds (for estimates and simulations).
double TransmissionMicroseconds(std::size_t count, const LineSettings& line);

}  // namespace quillon
