#include "frontend/output_release.h"

#include "device/hex_text.h"
#include "device/response_codes.h"
#include "frontend/fixed_output.h"
#include "frontend/pwm_calibration.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/link_open.h"
#include "link/message_boxes.h"
#include "link/serial_link.h"

namespace quillon {

namespace {

constexpr std::uint8_t kWriteSettingCommand = 177;
constexpr int kReleaseAttempts = 5;
constexpr const char* kReleaseFailed = "Не удалось снять фиксацию выхода: ";

// Long frames carry the target's long address; for the release they must
// carry the holding device's, whatever has been identified since.
class AddressedTo {
public:
    AddressedTo(DeviceState& s, const std::array<std::uint8_t, 5>& longAddress) : s_(s), saved_(s.target.longAddress) {
        s.target.longAddress = longAddress;
    }
    ~AddressedTo() { s_.target.longAddress = saved_; }
    AddressedTo(const AddressedTo&) = delete;
    AddressedTo& operator=(const AddressedTo&) = delete;

private:
    DeviceState& s_;
    std::array<std::uint8_t, 5> saved_;
};

// Judges one release exchange; a request that went out and lost its answer
// may or may not have released the device.
Outcome Judged(const DeviceState& s, int exchange, std::uint64_t sentBefore, bool accepted) {
    if (exchange != ExchangeOk) {
        const Outcome o = ExchangeOutcome(s, exchange);
        return s.requestsSent != sentBefore ? WithUnknownEffect(o) : o;
    }
    if (accepted) return DoneOutcome();
    // An answer of the right device whose code says nothing wrong but that
    // does not have the shape of a confirmation.
    const std::uint8_t code = AnswerHasStatus(s.buffer) ? ResponseCode(s.buffer) : 0;
    return RefusedOutcome(code == 0 ? kNoResponseCode : code);
}

Outcome ReleaseLoop(DeviceState& s, const HeldDevice& held) {
    const std::uint64_t sentBefore = s.requestsSent;
    const int exchange = ExchangeFixedOutput(s, 0.0f);
    if (exchange == ExchangeOk && AnswerHasStatus(s.buffer))
        NoteDeviceStatus(s, held.longAddress, DeviceStatus(s.buffer));
    return Judged(s, exchange, sentBefore, FixedOutputAccepted(s.buffer));
}

Outcome ReleaseDutyOf(DeviceState& s) {
    constexpr std::uint32_t v = kNoFixedDuty;
    BuildLongRequest(s.buffer, kWriteSettingCommand,
                     {kFixedDutySetting, static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                      static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
    const std::uint64_t sentBefore = s.requestsSent;
    const int exchange = RunAttemptLoop(s, "Отмена фикс. скважности . ", kReleaseAttempts);
    const bool accepted = AnswerHasStatus(s.buffer) && ResponseCode(s.buffer) == 0 && AnswerByteCount(s.buffer) == 7;
    return Judged(s, exchange, sentBefore, accepted);
}

// The route requests would take now. A port deselected because it vanished
// is still the one chosen: a device fixed through it is not on another route,
// it does not answer.
LinkRoute ChosenRoute(const DeviceState& s) {
    LinkRoute route = CurrentRoute(s);
    if (s.settings.portIndex == 0) route.portName = s.settings.storedPortName;
    return route;
}

HoldRelease Release(DeviceState& s, const HeldDevice& held, bool portOpen) {
    HoldRelease r{held.longAddress, DoneOutcome()};
    if (held.route != ChosenRoute(s)) {
        r.outcome = NotPossibleOutcome("датчик " + HexBytesText(r.longAddress) +
                                       " был подключен через другой порт или линию связи.");
        return r;
    }
    if (!portOpen) {
        r.outcome = ExchangeOutcome(s, ExchangeNoAnswer);
        return r;
    }
    AddressedTo addressed(s, held.longAddress);
    if (held.loopValue) {
        r.outcome = ReleaseLoop(s, held);
        if (!r.outcome.done()) return r;
        NoteLoopReleased(s, held.longAddress);
    }
    if (held.duty) {
        r.outcome = ReleaseDutyOf(s);
        if (!r.outcome.done()) return r;
        NoteDutyReleased(s, held.longAddress);
    }
    return r;
}

std::string FailureLine(const HoldRelease& r) {
    const Outcome& o = r.outcome;
    switch (o.cause()) {
        case OutcomeKind::Done: return {};
        case OutcomeKind::NotPossible: return kReleaseFailed + o.reason;
        case OutcomeKind::Interrupted: return std::string(kReleaseFailed) + "запрос прерван.";
        case OutcomeKind::Refused:
            if (o.responseCode == kNoResponseCode) return std::string(kReleaseFailed) + "датчик не подтвердил запрос.";
            return kReleaseFailed + ResponseCodeMessageText(o.responseCode);
        default: return std::string(kReleaseFailed) + "устройство не отвечает.";
    }
}

}  // namespace

std::vector<HoldRelease> ReleaseHeldOutputs(DeviceState& s) {
    // The record changes as devices are released; work from a copy.
    const std::vector<HeldDevice> held = s.heldOutput.devices;
    std::vector<HoldRelease> results;
    if (held.empty()) return results;
    struct Closer {
        LinkState& s;
        ~Closer() { ClosePort(s); }
    } closer{s};
    // A port that cannot be opened is reported once, in the failure message,
    // and stays chosen: it may well be back at the next start.
    const bool portOpen = LinkIsOpen(s) || OpenLinkQuietly(s);
    for (const HeldDevice& d : held) results.push_back(Release(s, d, portOpen));
    return results;
}

std::string ReleaseFailureText(const std::vector<HoldRelease>& results) {
    std::string text;
    for (const HoldRelease& r : results) {
        const std::string line = FailureLine(r);
        if (line.empty() || text.find(line) != std::string::npos) continue;
        if (!text.empty()) text += '\n';
        text += line;
    }
    return text;
}

Outcome ReleaseOutcomeOf(const std::vector<HoldRelease>& results) {
    for (const HoldRelease& r : results)
        if (!r.outcome.done()) return r.outcome;
    return DoneOutcome();
}

Report ReleaseReport(const std::vector<HoldRelease>& results) {
    const std::string failure = ReleaseFailureText(results);
    if (failure.empty()) return {};
    return {ErrorText(failure)};
}

bool ReleaseHeldOutput(DeviceState& s) {
    const std::vector<HoldRelease> results = ReleaseHeldOutputs(s);
    ShowReport(s.ui, ReleaseReport(results));
    return ReleaseOutcomeOf(results).done();
}

}  // namespace quillon
