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

// The first long-address byte and a short frame's address byte carry the
// master bit (0x80) and, in answers, the burst-mode bit (0x40) above the
// address itself. A device sets the burst-mode bit while it bursts, whatever
// the request had, so neither bit may decide whose answer a frame is.
inline constexpr std::uint8_t kMasterBit = 0x80;
inline constexpr std::uint8_t kBurstModeBit = 0x40;
inline constexpr std::uint8_t kLongAddressFirstByteBits = 0x3F;

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

// Why the whole answer of `count` bytes in `response` is not the answer to the
// request in the buffer (frame type, address, byte count, check byte, command,
// in that order); None when it is. `exactLength`: the answer came as a unit (a
// HART-IP message), so a byte after its check byte means a wrong byte count.
AnswerRefusal JudgeAnswer(const AnswerFilter& filter, const ExchangeBuffer& b, std::size_t count, bool exactLength);

// For an exchange that ended with no answer accepted: whether the raw bytes
// hold a whole frame with a sound check byte that the receiver turned down
// (another address, the other frame type, another command), and why.
AnswerRefusal RefusalInRawAnswer(const AnswerFilter& filter, const ExchangeBuffer& b);

// The long address from the data of a command 0 answer (data[0] is 254, at
// least 12 bytes): bytes 1, 2, 9, 10 and 11, of byte 1 only its 6 address
// bits. Byte 1 is the manufacturer id (HART 5 and 6) or the first byte of the
// expanded device type (HART 7); the address keeps the same bits of either.
std::array<std::uint8_t, 5> LongAddressFromIdentity(const std::uint8_t* data);

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
