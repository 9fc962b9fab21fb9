#pragma once

#include <cstdint>
#include <optional>

namespace quillon {

// The driver's running totals of receive errors (TIOCGICOUNT). Breaks count
// with framing errors: on the wire a break is a character without a stop bit.
// The values wrap at 2^32; differences of them (unsigned) stay right.
struct ErrorCounters {
    std::uint32_t framing = 0;
    std::uint32_t parity = 0;
    std::uint32_t overrun = 0;
};

// Empty when the driver keeps no counters (pseudo-terminals, some USB adapters).
std::optional<ErrorCounters> ReadErrorCounters(int fd);

enum class UartPresence { Present, Absent, Unknown };

// Whether an 8250-style port has a UART behind it; the kernel registers ports
// for every possible legacy address and marks the empty ones as unknown type.
UartPresence ProbeUart(int fd);

}  // namespace quillon
