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
    } else {
        return 0;
    }
    // A byte count that would not fit the buffer cannot come from a template.
    if (length > r.size()) return 0;
    if (masterAddress == 1)
        r[1] |= 0x80;
    else
        r[1] &= 0x7F;
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
        f.expectedLongAddress[0] &= 0x7F;
        f.skipLongAddressCheck = (r[6] == 192 && r[8] == 1) || r[6] == 19;
    }
    return f;
}

bool AnswerAddressAccepted(const AnswerFilter& filter, const std::uint8_t* frame, std::size_t count) {
    if (filter.startByte == kLongAnswerDelimiter) {
        if (count == 2) return (frame[1] & 0x7F) == filter.expectedLongAddress[0];
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
