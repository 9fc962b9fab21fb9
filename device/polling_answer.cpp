#include "device/polling_answer.h"

#include "device/polling_format.h"
#include "link/frame_codec.h"

namespace quillon {

std::uint8_t PollCommandNumber(PollRequest request) {
    switch (request) {
        case PollRequest::Command1: return 1;
        case PollRequest::Command3: return 3;
        case PollRequest::Period: return 110;
    }
    return 1;
}

bool AnswerWithinReceived(const ExchangeBuffer& b) { return AnswerWithinCount(b); }

std::uint8_t PollResponseCode(const ExchangeBuffer& b) {
    return AnswerWithinReceived(b) && AnswerByteCount(b) >= 2 ? ResponseCode(b) : 0;
}

std::uint8_t PollDeviceStatus(const ExchangeBuffer& b) {
    return AnswerWithinReceived(b) && AnswerByteCount(b) >= 2 ? DeviceStatus(b) : 0;
}

namespace {

// The unit the period output of a density meter is reported in.
constexpr std::uint8_t kPeriodModeUnit = 32;
// Loop current (4 bytes), then five bytes per variable: unit code and value.
constexpr std::size_t kCurrentBytes = 4;
constexpr std::size_t kVariableBytes = 5;
constexpr std::size_t kStatusBytes = 2;
constexpr int kMaxVariables = 4;

PolledVariable VariableAt(const std::uint8_t* data) { return {data[0], BigEndianU32(data + 1)}; }

}  // namespace

std::optional<PollReading> ReadPollAnswer(const ExchangeBuffer& b, PollRequest request) {
    if (!AnswerWithinReceived(b)) return std::nullopt;
    const std::size_t count = AnswerByteCount(b);
    const std::uint8_t* data = b.response.data() + AnswerDataIndex(b);
    PollReading r;
    switch (request) {
        case PollRequest::Period:
            if (count != kStatusBytes + 8) return std::nullopt;
            r.auxiliaryBits = BigEndianU32(data);
            r.primary = {kPeriodModeUnit, BigEndianU32(data + 4)};
            return r;
        case PollRequest::Command1:
            if (count != kStatusBytes + kVariableBytes) return std::nullopt;
            r.primary = VariableAt(data);
            return r;
        case PollRequest::Command3: {
            const std::size_t fixed = kStatusBytes + kCurrentBytes;
            // A single variable (byte count 11) is not accepted: the devices
            // polled this way always report at least two.
            if (count <= fixed + kVariableBytes || (count - fixed) % kVariableBytes != 0) return std::nullopt;
            const std::size_t variables = (count - fixed) / kVariableBytes;
            if (variables > kMaxVariables) return std::nullopt;
            r.auxiliaryBits = BigEndianU32(data);
            r.primary = VariableAt(data + kCurrentBytes);
            r.furtherCount = static_cast<int>(variables) - 1;
            for (int k = 0; k < r.furtherCount; ++k)
                r.further[static_cast<std::size_t>(k)] =
                    VariableAt(data + kCurrentBytes + kVariableBytes * static_cast<std::size_t>(k + 1));
            return r;
        }
    }
    return std::nullopt;
}

std::optional<std::array<std::uint32_t, 4>> ReadExtendedAnswer(const ExchangeBuffer& b) {
    if (!AnswerWithinReceived(b) || AnswerByteCount(b) != 26 || ResponseCode(b) != 0) return std::nullopt;
    const std::uint8_t* data = b.response.data() + AnswerDataIndex(b);
    std::array<std::uint32_t, 4> values{};
    for (std::size_t k = 0; k < values.size(); ++k) values[k] = BigEndianU32(data + kCurrentBytes + 1 + 5 * k);
    return values;
}

}  // namespace quillon
