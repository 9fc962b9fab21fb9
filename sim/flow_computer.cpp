#include "sim/flow_computer.h"

#include <algorithm>

#include "link/crc16.h"
#include "sim/answer_builder.h"
#include "sim/request_parser.h"

namespace quillon::sim {

namespace {

constexpr std::uint8_t kRequestStart = 0xBB;
constexpr std::uint8_t kAnswerStart = 0x66;
constexpr std::uint8_t kFormat11 = 0x0B;
constexpr std::uint8_t kFormat33 = 0x21;

// HART bytes at 1200 baud, odd parity: 11 bits each.
std::int64_t HartWireUs(std::size_t bytes) { return static_cast<std::int64_t>(bytes) * 11 * 1'000'000 / 1200; }

std::vector<std::uint8_t> ExpectedCredentials(const FlowComputerConfig& c) {
    std::vector<std::uint8_t> field(16, 0x20);
    const std::size_t room = c.souMode ? 12 : 16;
    std::copy_n(c.password.begin(), std::min(room, c.password.size()), field.begin());
    if (c.souMode) std::copy_n(c.userId.begin(), std::min<std::size_t>(4, c.userId.size()), field.begin() + 12);
    return field;
}

}  // namespace

std::optional<Transmission> FlowComputer::hear(std::uint8_t byte, std::int64_t nowUs) {
    if (frame_.empty() && byte != kRequestStart) return std::nullopt;
    frame_.push_back(byte);
    if (frame_.size() < 3) return std::nullopt;
    const std::size_t length = frame_[2];
    if (length < 9) {  // no wrapper is that short: look for the next start
        frame_.clear();
        return std::nullopt;
    }
    if (frame_.size() < length) return std::nullopt;
    std::vector<std::uint8_t> request = std::move(frame_);
    frame_.clear();
    return process(request, nowUs);
}

std::optional<Transmission> FlowComputer::process(const std::vector<std::uint8_t>& q, std::int64_t nowUs) {
    if (!CrcResidueCheck(q.data(), q.size())) {
        Log(log_, "?? tunnel request with a bad CRC, ignored:", q);
        return std::nullopt;
    }
    if (q[1] != config_.address) {
        Log(log_, "   tunnel request for another flow computer, ignored:", q);
        return std::nullopt;
    }
    Log(log_, "-> tunnel request:", q);
    const std::uint8_t formatCode = q[3];
    const bool known =
        (formatCode == kFormat11 && config_.format != 33) || (formatCode == kFormat33 && config_.format != 11);
    if (!known) return errorAnswer(formatCode, kFcErrorBadFormat, 0);
    const bool format33 = formatCode == kFormat33;
    const std::size_t credentials = format33 ? 6 : 4;
    if (q.size() < credentials + 16 + 2 + 5) return errorAnswer(formatCode, kFcErrorBadFormat, 0);
    const int line = format33 ? q[4] : config_.line;
    if (line < 1 || line > 4) return errorAnswer(formatCode, kFcErrorBadFormat, 0);

    const auto expected = ExpectedCredentials(config_);
    if (!std::equal(expected.begin(), expected.end(), q.begin() + static_cast<std::ptrdiff_t>(credentials)))
        return errorAnswer(formatCode, kFcErrorPassword, 0);

    // The HART frame goes out on the line with preambles of the flow
    // computer's own; the device hears it as from any master.
    const auto hartBegin = q.begin() + static_cast<std::ptrdiff_t>(credentials + 16);
    const std::vector<std::uint8_t> hart(hartBegin, q.end() - 2);
    RequestParser parser;
    RequestParser::Event event;
    for (std::uint8_t b : hart) event = parser.feed(b);
    if (event.kind != RequestParser::Event::Request || line != config_.line)
        return errorAnswer(formatCode, kFcErrorNoDeviceAnswer, deviceTimeoutUs);

    const std::int64_t requestUs = HartWireUs(5 + hart.size());
    Fault hartFault = Fault::None;
    auto answer = device_.answerFor(event.request, nowUs + requestUs, hartFault);
    if (!answer) return errorAnswer(formatCode, kFcErrorNoDeviceAnswer, deviceTimeoutUs);
    auto shaped = ShapeTransmission(hartFault, {}, AnswerFrame(*answer), 0);
    if (shaped.bytes.empty()) return errorAnswer(formatCode, kFcErrorNoDeviceAnswer, deviceTimeoutUs);
    const std::int64_t delay = requestUs + 20'000 + HartWireUs(answer->data.size() + 14);

    std::vector<std::uint8_t> w{kAnswerStart, config_.address, 0, formatCode};
    if (format33) {
        w.push_back(static_cast<std::uint8_t>(line));
        w.push_back(0x00);
    }
    w.insert(w.end(), shaped.bytes.begin(), shaped.bytes.end());
    w.push_back(0);
    w.push_back(0);
    w[2] = static_cast<std::uint8_t>(w.size());
    AppendCrc(w.data(), w.size() - 2);
    return finish(std::move(w), delay);
}

Transmission FlowComputer::errorAnswer(std::uint8_t formatCode, std::uint8_t code, std::int64_t delayUs) {
    std::vector<std::uint8_t> w{kAnswerStart, config_.address, 9, formatCode, code, 0, 0, 0, 0};
    AppendCrc(w.data(), 7);
    if (log_) log_("   flow computer error " + std::to_string(code));
    return finish(std::move(w), delayUs);
}

Transmission FlowComputer::finish(std::vector<std::uint8_t> w, std::int64_t delayUs) {
    const Fault fault = faults_.take();
    if (fault == Fault::WrongAddress) {
        w[1] ^= 0x01;
        AppendCrc(w.data(), w.size() - 2);
    }
    auto t = ShapeTransmission(fault, {}, std::move(w), faults_.stallUs);
    t.delayUs = delayUs;
    if (fault != Fault::None && log_) log_("   fault: " + std::string(FaultName(fault)));
    if (!t.bytes.empty()) Log(log_, "<- tunnel answer: ", t.bytes);
    return t;
}

}  // namespace quillon::sim
