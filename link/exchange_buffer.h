#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quillon {

inline constexpr std::size_t kFrameCapacity = 200;

// Receive-error bits reported by the serial line for the last exchange.
inline constexpr int kLineOverrun = 0x02;
inline constexpr int kLineParity = 0x04;
inline constexpr int kLineFraming = 0x08;

// Why the last answer was turned down, for the frame monitor and the trace.
// Set only where an answer was there to judge; a silent line leaves None.
enum class AnswerRefusal : std::uint8_t {
    None,
    FrameType,  // a short answer to a long request, or the other way round
    Address,    // the address bits the request carried are not echoed
    ByteCount,  // the frame is shorter or longer than its byte count says
    CheckByte,  // the XOR of the frame is not zero
    Command,    // the answer names another command
};

// The one buffer every device operation uses in turn. An operation must read
// what it needs from `response` before it starts the next exchange.
struct ExchangeBuffer {
    std::array<std::uint8_t, kFrameCapacity> request{};
    std::array<std::uint8_t, kFrameCapacity> response{};
    std::uint8_t responseCount = 0;
    std::array<std::uint8_t, kFrameCapacity> rawAnswer{};
    int rawAnswerCount = 0;
    int lineErrors = 0;
    AnswerRefusal refusal = AnswerRefusal::None;
};

// What the receiver expects of the next answer.
struct AnswerFilter {
    std::uint8_t startByte = 0x06;
    std::uint8_t expectedShortAddress = 16;
    bool skipShortAddressCheck = false;
    std::array<std::uint8_t, 5> expectedLongAddress{};
    bool skipLongAddressCheck = false;
};

}  // namespace quillon
