#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "link/exchange_buffer.h"

namespace quillon {

inline constexpr std::uint8_t kShortRequestDelimiter = 0x02;
inline constexpr std::uint8_t kLongRequestDelimiter = 0x82;
inline constexpr std::uint8_t kShortAnswerDelimiter = 0x06;
inline constexpr std::uint8_t kLongAnswerDelimiter = 0x86;

// Result codes of CheckAnswer.
inline constexpr int kAnswerValid = 0;
inline constexpr int kAnswerNothing = 1;
inline constexpr int kAnswerBad = 2;

// Fills address, master bit and check byte of the request in `buffer`.
// Returns the frame length, or 0 when the delimiter is neither 0x02 nor 0x82.
std::size_t FinishRequest(ExchangeBuffer& buffer, std::uint8_t shortAddress,
                          const std::array<std::uint8_t, 5>& longAddress, int masterAddress);

// Derives what the receiver expects from the finished request (direct link).
AnswerFilter PrepareAnswerFilter(const ExchangeBuffer& buffer);

// Address check run by the receiver after each accepted byte; `count` is the
// number of bytes accepted so far (the start byte counts as 1). False means
// the bytes collected so far must be discarded.
bool AnswerAddressAccepted(const AnswerFilter& filter, const std::uint8_t* frame, std::size_t count);

// The receiver's rules applied to a whole frame: the answer type the request
// asks for and every address byte the filter checks. Used where the answer
// arrives in one piece, inside a flow-computer wrapper.
bool AnswerMatchesFilter(const AnswerFilter& filter, const std::uint8_t* frame, std::size_t count);

// Length of a complete answer once it can be told from the bytes in, or 0.
std::size_t CompleteAnswerLength(std::uint8_t startByte, const std::uint8_t* frame, std::size_t count);

// 0 valid, 1 nothing received, 2 short or wrong check byte.
int CheckAnswer(std::size_t count, const std::uint8_t* frame);

std::uint8_t XorOf(const std::uint8_t* bytes, std::size_t count);

// True when the answer in the buffer names the command of the request. An
// answer that came too late for an earlier request of another command would
// otherwise be read with that command's layout.
bool AnswerNamesRequestCommand(const ExchangeBuffer& b);

// Length the answer in the buffer claims for itself (delimiter to check byte),
// or 0 when `responseCount` does not even hold its header.
std::size_t AnswerOwnLength(const ExchangeBuffer& b);
// True when every byte the answer's byte count promises lies inside what was
// accepted (`responseCount`); nothing past that may be read as status or data.
bool AnswerWithinCount(const ExchangeBuffer& b);

// Offsets of the status bytes and data in a long or short answer, taken from
// the frame type of the answer actually accepted.
inline std::size_t ResponseCodeIndex(const ExchangeBuffer& b) { return b.response[0] == kLongAnswerDelimiter ? 8 : 4; }
inline std::size_t AnswerDataIndex(const ExchangeBuffer& b) { return b.response[0] == kLongAnswerDelimiter ? 10 : 6; }
inline std::uint8_t ResponseCode(const ExchangeBuffer& b) { return b.response[ResponseCodeIndex(b)]; }
inline std::uint8_t DeviceStatus(const ExchangeBuffer& b) { return b.response[ResponseCodeIndex(b) + 1]; }
// Byte count M of the answer: counts the two status bytes and the data.
inline std::uint8_t AnswerByteCount(const ExchangeBuffer& b) {
    return b.response[b.response[0] == kLongAnswerDelimiter ? 7 : 3];
}
// Number of data bytes after the status bytes (0 when the answer is too short
// to have any, or claims more than was accepted).
inline std::size_t AnswerDataCount(const ExchangeBuffer& b) {
    std::uint8_t m = AnswerByteCount(b);
    return m >= 2 && AnswerWithinCount(b) ? m - 2u : 0u;
}

// Starts a request from a template: delimiter, placeholder address, command, data.
void BuildLongRequest(ExchangeBuffer& buffer, std::uint8_t command, std::initializer_list<std::uint8_t> data = {});
void BuildShortRequest(ExchangeBuffer& buffer, std::uint8_t command, std::initializer_list<std::uint8_t> data = {});
void BuildLongRequest(ExchangeBuffer& buffer, std::uint8_t command, const std::uint8_t* data, std::size_t count);

}  // namespace quillon
