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
    AddressedTo(AppState& s, const std::array<std::uint8_t, 5>& longAddress) : s_(s), saved_(s.target.longAddress) {
        s.target.longAddress = longAddress;
    }
    ~AddressedTo() { s_.target.longAddress = saved_; }
    AddressedTo(const AddressedTo&) = delete;
    AddressedTo& operator=(const AddressedTo&) = delete;

private:
    AppState& s_;
    std::array<std::uint8_t, 5> saved_;
};

ReleaseOutcome Judged(int exchange, bool accepted, const ExchangeBuffer& b, HoldRelease& r) {
    if (exchange == ExchangeAborted) return ReleaseOutcome::Aborted;
    if (exchange != ExchangeOk) return ReleaseOutcome::NoAnswer;
    if (accepted) return ReleaseOutcome::Released;
    r.responseCode = AnswerHasStatus(b) ? ResponseCode(b) : 0;
    return ReleaseOutcome::Refused;
}

ReleaseOutcome ReleaseLoop(AppState& s, HoldRelease& r) {
    const int exchange = ExchangeFixedOutput(s, 0.0f);
    if (exchange == ExchangeOk && AnswerHasStatus(s.buffer)) NoteDeviceStatus(s, r.longAddress, DeviceStatus(s.buffer));
    return Judged(exchange, FixedOutputAccepted(s.buffer), s.buffer, r);
}

ReleaseOutcome ReleaseDuty(AppState& s, HoldRelease& r) {
    constexpr std::uint32_t v = kNoFixedDuty;
    BuildLongRequest(s.buffer, kWriteSettingCommand,
                     {kFixedDutySetting, static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                      static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
    const int exchange = RunAttemptLoop(s, "Отмена фикс. скважности . ", kReleaseAttempts);
    const bool accepted = AnswerHasStatus(s.buffer) && ResponseCode(s.buffer) == 0 && AnswerByteCount(s.buffer) == 7;
    return Judged(exchange, accepted, s.buffer, r);
}

// The route requests would take now. A port deselected because it vanished
// is still the one chosen: a device fixed through it is not on another route,
// it does not answer.
LinkRoute ChosenRoute(const AppState& s) {
    LinkRoute route = CurrentRoute(s);
    if (s.settings.portIndex == 0) route.portName = s.settings.storedPortName;
    return route;
}

HoldRelease Release(AppState& s, const HeldDevice& held, bool portOpen) {
    HoldRelease r{held.longAddress};
    if (held.route != ChosenRoute(s)) {
        r.outcome = ReleaseOutcome::Unreachable;
        return r;
    }
    if (!portOpen) {
        r.outcome = ReleaseOutcome::NoAnswer;
        return r;
    }
    AddressedTo addressed(s, held.longAddress);
    if (held.loopValue) {
        r.outcome = ReleaseLoop(s, r);
        if (r.outcome != ReleaseOutcome::Released) return r;
        NoteLoopReleased(s, held.longAddress);
    }
    if (held.duty) {
        r.outcome = ReleaseDuty(s, r);
        if (r.outcome != ReleaseOutcome::Released) return r;
        NoteDutyReleased(s, held.longAddress);
    }
    return r;
}

std::string FailureLine(const HoldRelease& r) {
    switch (r.outcome) {
        case ReleaseOutcome::Released: return {};
        case ReleaseOutcome::Unreachable:
            return std::string(kReleaseFailed) + "датчик " + HexBytesText(r.longAddress) +
                   " был подключен через другой порт или линию связи.";
        case ReleaseOutcome::NoAnswer: return std::string(kReleaseFailed) + "устройство не отвечает.";
        case ReleaseOutcome::Aborted: return std::string(kReleaseFailed) + "запрос прерван.";
        case ReleaseOutcome::Refused:
            // An answer of the right device whose code says nothing wrong but
            // that does not have the shape of a confirmation.
            if (r.responseCode == 0) return std::string(kReleaseFailed) + "датчик не подтвердил запрос.";
            return kReleaseFailed + ResponseCodeMessageText(r.responseCode);
    }
    return {};
}

}  // namespace

std::vector<HoldRelease> ReleaseHeldOutputs(AppState& s) {
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

bool ReleaseHeldOutput(AppState& s) {
    const std::string failure = ReleaseFailureText(ReleaseHeldOutputs(s));
    if (failure.empty()) return true;
    ErrorBox(s, failure);
    return false;
}

}  // namespace quillon
