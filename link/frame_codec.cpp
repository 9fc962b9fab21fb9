#include "link/frame_codec.h"

#include <algorithm>

namespace quillon {

std::uint8_t XorOf(const std::uint8_t* bytes, std::size_t count) {
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < count; ++i) x ^= bytes[i];
    return x;
}

std::size_t FinishRequest(ExchangeBuffer& buffer, std::uint8_t shortAddress,
                          const std::array<std::uint8_t, 5>& longAddress, int masterAddress) {
    auto& r = buffer.request;
    std::size_t length = 0;
    if (r[0] == kShortRequestDelimiter) {
        length = r[3] + 5u;
        r[1] = shortAddress;
    } else if (r[0] == kLongRequestDelimiter) {
        length = r[7] + 9u;
        std::copy(longAddress.begin(), longAddress.end(), r.begin() + 1);
        // A master never sends the burst-mode bit, whatever an address learned elsewhere holds.
        r[1] &= kLongAddressFirstByteBits;
    } else {
        return 0;
    }
    // A byte count that would not fit the buffer cannot come from a template.
    if (length > r.size()) return 0;
    if (masterAddress == 1)
        r[1] |= kMasterBit;
    else
        r[1] &= static_cast<std::uint8_t>(~kMasterBit);
    r[length - 1] = XorOf(r.data(), length - 1);
    return length;
}

bool AnswerNamesRequestCommand(const ExchangeBuffer& b) {
    const std::size_t answerAt = b.response[0] == kLongAnswerDelimiter ? 6 : 2;
    const std::size_t requestAt = b.request[0] == kLongRequestDelimiter ? 6 : 2;
    return b.response[answerAt] == b.request[requestAt];
}

AnswerFilter PrepareAnswerFilter(const ExchangeBuffer& buffer) {
    const auto& r = buffer.request;
    AnswerFilter f;
    if (r[0] == kShortRequestDelimiter) {
        f.startByte = kShortAnswerDelimiter;
        f.expectedShortAddress = r[1] & 0x1F;
        f.skipShortAddressCheck = r[2] == 119;
    } else {
        f.startByte = kLongAnswerDelimiter;
        std::copy(r.begin() + 1, r.begin() + 6, f.expectedLongAddress.begin());
        f.expectedLongAddress[0] &= kLongAddressFirstByteBits;
        f.skipLongAddressCheck = (r[6] == 192 && r[8] == 1) || r[6] == 19;
    }
    return f;
}

bool AnswerAddressAccepted(const AnswerFilter& filter, const std::uint8_t* frame, std::size_t count) {
    if (filter.startByte == kLongAnswerDelimiter) {
        if (count == 2)
            return (frame[1] & kLongAddressFirstByteBits) ==
                   (filter.expectedLongAddress[0] & kLongAddressFirstByteBits);
        if (count >= 3 && count <= 6 && !filter.skipLongAddressCheck)
            return frame[count - 1] == filter.expectedLongAddress[count - 2];
        return true;
    }
    if (filter.startByte == kShortAnswerDelimiter && count == 2) {
        if (filter.skipShortAddressCheck || filter.expectedShortAddress == 16) return true;
        return (frame[1] & 0x1F) == filter.expectedShortAddress;
    }
    return true;
}

bool AnswerMatchesFilter(const AnswerFilter& filter, const std::uint8_t* frame, std::size_t count) {
    if (count == 0 || frame[0] != filter.startByte) return false;
    for (std::size_t k = 2; k <= std::min<std::size_t>(count, 6); ++k)
        if (!AnswerAddressAccepted(filter, frame, k)) return false;
    return true;
}

namespace {

std::uint8_t RequestCommand(const ExchangeBuffer& b) {
    return b.request[b.request[0] == kLongRequestDelimiter ? 6 : 2];
}

AnswerRefusal JudgeFrame(const AnswerFilter& filter, std::uint8_t command, const std::uint8_t* frame,
                         std::size_t count, bool exactLength) {
    if (count == 0) return AnswerRefusal::ByteCount;
    if (frame[0] != filter.startByte) return AnswerRefusal::FrameType;
    if (!AnswerMatchesFilter(filter, frame, count)) return AnswerRefusal::Address;
    const std::size_t header = frame[0] == kLongAnswerDelimiter ? 8 : 4;
    if (count < header) return AnswerRefusal::ByteCount;
    const std::size_t length = header + frame[header - 1] + 1u;
    if (count < length || (exactLength && count != length)) return AnswerRefusal::ByteCount;
    if (XorOf(frame, length) != 0) return AnswerRefusal::CheckByte;
    if (frame[header - 2] != command) return AnswerRefusal::Command;
    return AnswerRefusal::None;
}

}  // namespace

AnswerRefusal JudgeAnswer(const AnswerFilter& filter, const ExchangeBuffer& b, std::size_t count, bool exactLength) {
    return JudgeFrame(filter, RequestCommand(b), b.response.data(), std::min(count, b.response.size()), exactLength);
}

AnswerRefusal RefusalInRawAnswer(const AnswerFilter& filter, const ExchangeBuffer& b) {
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(b.rawAnswerCount, 0)), kFrameCapacity);
    const std::uint8_t* raw = b.rawAnswer.data();
    for (std::size_t p = 0; p < n; ++p) {
        if (raw[p] != kShortAnswerDelimiter && raw[p] != kLongAnswerDelimiter) continue;
        const std::size_t header = raw[p] == kLongAnswerDelimiter ? 8 : 4;
        if (n - p < header) continue;
        const std::size_t length = header + raw[p + header - 1] + 1u;
        // Only a whole frame with a sound check byte is an answer someone sent;
        // anything less may be noise that happens to hold a delimiter.
        if (n - p < length || XorOf(raw + p, length) != 0) continue;
        if (AnswerRefusal r = JudgeFrame(filter, RequestCommand(b), raw + p, length, true); r != AnswerRefusal::None)
            return r;
    }
    return AnswerRefusal::None;
}

std::array<std::uint8_t, 5> LongAddressFromIdentity(const std::uint8_t* data) {
    return {static_cast<std::uint8_t>(data[1] & kLongAddressFirstByteBits), data[2], data[9], data[10], data[11]};
}

std::size_t AnswerOwnLength(const ExchangeBuffer& b) {
    const bool longAnswer = b.response[0] == kLongAnswerDelimiter;
    const std::size_t header = longAnswer ? 8 : 4;
    if (b.responseCount < header) return 0;
    return header + AnswerByteCount(b) + 1;
}

bool AnswerWithinCount(const ExchangeBuffer& b) {
    const std::size_t length = AnswerOwnLength(b);
    return length != 0 && length <= b.responseCount && length <= kFrameCapacity;
}

std::size_t CompleteAnswerLength(std::uint8_t startByte, const std::uint8_t* frame, std::size_t count) {
    if (startByte == kShortAnswerDelimiter) {
        if (count >= 4 && count >= frame[3] + 5u) return frame[3] + 5u;
    } else if (startByte == kLongAnswerDelimiter) {
        if (count >= 8 && count >= frame[7] + 9u) return frame[7] + 9u;
    }
    return 0;
}

int CheckAnswer(std::size_t count, const std::uint8_t* frame) {
    if (count == 0) return kAnswerNothing;
    std::size_t expected = 0;
    if (frame[0] == kLongAnswerDelimiter && count >= 8)
        expected = frame[7] + 9u;
    else if (frame[0] == kShortAnswerDelimiter && count >= 4)
        expected = frame[3] + 5u;
    else
        return kAnswerBad;
    if (count < expected) return kAnswerBad;
    return XorOf(frame, expected) == 0 ? kAnswerValid : kAnswerBad;
}

static void BuildRequest(ExchangeBuffer& buffer, bool isLong, std::uint8_t command, const std::uint8_t* data,
                         std::size_t count) {
    auto& r = buffer.request;
    std::size_t header = isLong ? 8 : 4;
    count = std::min(count, r.size() - header - 1);
    r.fill(0);
    r[0] = isLong ? kLongRequestDelimiter : kShortRequestDelimiter;
    r[header - 2] = command;
    r[header - 1] = static_cast<std::uint8_t>(count);
    std::copy(data, data + count, r.begin() + header);
}

void BuildLongRequest(ExchangeBuffer& buffer, std::uint8_t command, std::initializer_list<std::uint8_t> data) {
    BuildRequest(buffer, true, command, data.begin(), data.size());
}

void BuildLongRequest(ExchangeBuffer& buffer, std::uint8_t command, const std::uint8_t* data, std::size_t count) {
    BuildRequest(buffer, true, command, data, count);
}

void BuildShortRequest(ExchangeBuffer& buffer, std::uint8_t command, std::initializer_list<std::uint8_t> data) {
    BuildRequest(buffer, false, command, data.begin(), data.size());
}

}  // namespace quillon
