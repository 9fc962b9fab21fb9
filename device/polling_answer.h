#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "link/exchange_buffer.h"

namespace quillon {

// Which request the simple poll repeats.
enum class PollRequest {
    Command1,  // primary variable only
    Command3,  // loop current and up to four variables
    Period,    // command 110 of density meters: period and value
};

std::uint8_t PollCommandNumber(PollRequest request);

struct PolledVariable {
    std::uint8_t unit = 0;
    std::uint32_t bits = 0;  // IEEE 754 single as received
};

// A simple-poll answer whose shape fits the request.
struct PollReading {
    PolledVariable primary;
    // Period (command 110) or loop current (command 3); absent for command 1.
    std::optional<std::uint32_t> auxiliaryBits;
    // Variables 2 to 4 of command 3, `furtherCount` of them.
    std::array<PolledVariable, 3> further{};
    int furtherCount = 0;
};

// True when the answer in the buffer is completely inside what was received,
// so that every byte its byte count promises may be read.
bool AnswerWithinReceived(const ExchangeBuffer& b);

// Response code and device status, or zeros when the answer is too short to
// carry them.
std::uint8_t PollResponseCode(const ExchangeBuffer& b);
std::uint8_t PollDeviceStatus(const ExchangeBuffer& b);

// Reads the answer of a successful exchange; nothing when its byte count does
// not fit the request (a command-3 answer must carry 2 to 4 variables).
std::optional<PollReading> ReadPollAnswer(const ExchangeBuffer& b, PollRequest request);

// The four values of the extended poll: only an answer with response code 0
// and byte count 26 carries them.
std::optional<std::array<std::uint32_t, 4>> ReadExtendedAnswer(const ExchangeBuffer& b);

}  // namespace quillon
