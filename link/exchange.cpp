#include "link/exchange.h"

#include <array>
#include <utility>

#include "link/frame_codec.h"
#include "link/hart_ip_link.h"
#include "link/serial_link.h"
#include "link/texts.h"
#include "link/tunnel.h"

namespace quillon {

namespace {

constexpr std::size_t kPreambleCount = 9;

bool Interrupted(LinkState& s) {
    if (!s.flags.enterPressed && !s.flags.stopRequested) return false;
    s.flags.enterPressed = false;
    s.flags.stopRequested = false;
    return true;
}

int ExchangeDirect(LinkState& s, std::size_t length) {
    if (!PortIsOpen(s)) {
        s.ui.message(MessageIcon::Error, texts::kPortNotSelected, MessageButtons::Ok);
        s.linkFailure = texts::kPortNotSelected;
        s.flags.stopRequested = true;  // ends a running polling loop too
        return ExchangeAborted;
    }
    s.filter = PrepareAnswerFilter(s.buffer);
    std::array<std::uint8_t, kPreambleCount + kFrameCapacity> frame{};
    frame.fill(0xFF);
    std::copy(s.buffer.request.begin(), s.buffer.request.begin() + static_cast<std::ptrdiff_t>(length),
              frame.begin() + kPreambleCount);
    SendFrame(s, frame.data(), kPreambleCount + length);
    const std::size_t count = ReceiveAnswer(s, s.settings.firstByteWait, s.settings.nextByteWait, s.filter.startByte);
    s.buffer.responseCount = static_cast<std::uint8_t>(count);
    if (Interrupted(s)) return ExchangeAborted;
    if (count == 0) {
        // The receiver drops a frame of another address or type byte by byte;
        // the monitor should still learn that one came and why it was not taken.
        s.buffer.refusal = RefusalInRawAnswer(s.filter, s.buffer);
        return ExchangeNoAnswer;
    }
    s.buffer.refusal = JudgeAnswer(s.filter, s.buffer, count, false);
    if (CheckAnswer(count, s.buffer.response.data()) != kAnswerValid) return ExchangeBadAnswer;
    return AnswerNamesRequestCommand(s.buffer) ? ExchangeOk : ExchangeBadAnswer;
}

int ExchangeTunnel(LinkState& s, std::size_t length) {
    const auto wrapper = WrapRequest(s.settings, s.buffer.request.data(), length);
    SendFrame(s, wrapper.data(), wrapper.size());
    const std::size_t count = ReceiveAnswer(s, s.settings.firstByteWait, s.settings.nextByteWait, 0x66);
    s.buffer.responseCount = static_cast<std::uint8_t>(count);
    if (Interrupted(s)) return ExchangeAborted;
    return UnwrapAnswer(s, count);
}

int ExchangeOnce(LinkState& s) {
    s.linkFailure.clear();
    const std::size_t length =
        FinishRequest(s.buffer, s.settings.shortAddress, s.target.longAddress, s.settings.masterAddress);
    if (length == 0) {
        s.ui.message(MessageIcon::Error, texts::kBadRequest, MessageButtons::Ok);
        return ExchangeBadRequest;
    }
    s.flags.enterPressed = false;
    s.flags.stopRequested = false;
    s.buffer.refusal = AnswerRefusal::None;
    if (s.settings.linkType == kLinkDirect) return ExchangeDirect(s, length);
    if (s.settings.linkType == kLinkTunnel) return ExchangeTunnel(s, length);
    if (s.settings.linkType == kLinkHartIp) return ExchangeHartIp(s, length);
    return ExchangeNoAnswer;
}

}  // namespace

int Exchange(LinkState& s) {
    if (s.tap) {
        if (std::string reason = s.tap->refusesNextRequest(); !reason.empty()) {
            // Ended by the link's side, not by the engineer: the outcome is "no answer".
            s.linkFailure = std::move(reason);
            return ExchangeAborted;
        }
    }
    const int result = ExchangeOnce(s);
    if (result == ExchangeNoAnswer && s.buffer.request[0] == kLongRequestDelimiter) s.longFrameUnanswered = true;
    if (s.tap) s.tap->exchangeEnded(result, s.buffer);
    return result;
}

}  // namespace quillon
