#pragma once

#include <cstdint>

#include "link/serial_port.h"

namespace quillon {

// The members of a Windows device-control block (DCB) that the link sets, with
// the values the system headers give them. The record starts all zero; what
// is not listed stays zero (parity checking, flow control, DSR sensitivity,
// XON/XOFF, error and null-character handling all off).
struct CommStateFields {
    static constexpr std::uint8_t kNoParity = 0;
    static constexpr std::uint8_t kOddParity = 1;
    static constexpr std::uint8_t kOneStopBit = 0;
    static constexpr std::uint8_t kDtrControlDisable = 0;
    static constexpr std::uint8_t kRtsControlDisable = 0;

    // Any rate the driver takes, the non-standard 3200, 6400, 7200, 14400 and 28800 included.
    std::uint32_t baudRate = 0;
    bool binary = true;  // Windows supports raw byte mode only
    // The program drives both lines itself: DTR up while open, RTS while sending.
    std::uint8_t dtrControl = kDtrControlDisable;
    std::uint8_t rtsControl = kRtsControlDisable;
    std::uint16_t xonLimit = 600;
    std::uint16_t xoffLimit = 600;
    std::uint8_t byteSize = 8;
    std::uint8_t parity = kNoParity;
    std::uint8_t stopBits = kOneStopBit;
};

CommStateFields CommStateFor(const LineSettings& line);

// Receive-error bits of ClearCommError as the link's lineErrors (0x02 overrun,
// 0x04 parity, 0x08 framing). A full input queue loses bytes as an overrun
// does, and a break is a character without its stop bit, so they count as
// those; everything else (transmit-side and mode errors) is left out.
int LineErrorsFromCommErrors(std::uint32_t commErrors);

// Receive-queue sizes given to SetupComm.
inline constexpr std::uint32_t kCommQueueSize = 200;

}  // namespace quillon
