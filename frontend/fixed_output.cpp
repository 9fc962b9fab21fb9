#include "frontend/fixed_output.h"

#include <bit>
#include <cmath>

#include "device/held_output.h"
#include "device/identification.h"
#include "device/number_entry.h"
#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "device/write_lock.h"
#include "frontend/dac_settings.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kFixedCurrentCommand = 40;
constexpr int kFixAttempts = 5;
constexpr double kLowestCurrent = 4.0;
constexpr double kVoltageStart = 0.8;

constexpr const char* kNotSupported = "В этой версии датчика не предусмотрена фиксация тока!";
constexpr const char* kCurrentRange = "Значение тока должно быть в диапазоне 4-20 мА!";
constexpr const char* kNotSent = "Не могу выполнить запрос!";

void PrepareVoltageTexts(FixTokDialog& d) {
    d.modes = {"Выйти из режима фиксир. напряжения", "Войти в режим фиксир. напряжения"};
    d.valueLabel = "Напряжение (0.8-3.2), В :";
}

bool HasFixedMode(const DeviceIdentity& id) { return isRev6(id) || isRev7(id) || isDacBySettings(id); }

// Command 40 until taken, refused or lost. A lost answer after the request
// went out means the device may have taken it; so does an answer too short
// to say either way.
Outcome SendFixedOutput(DeviceState& s, FrontendState& f, float value, const AskRepeatOnLock& askRepeat) {
    for (;;) {
        const std::uint64_t sentBefore = s.requestsSent;
        const int exchange = ExchangeFixedOutput(s, value);
        Outcome lost;
        if (exchange != ExchangeOk) {
            lost = ExchangeOutcome(s, exchange);
            if (s.requestsSent != sentBefore) lost = WithUnknownEffect(lost);
        } else if (!AnswerHasStatus(s.buffer)) {
            lost = RefusedOutcome(kNoResponseCode);
            lost.effect = DeviceEffect::Unknown;
        }
        if (lost.kind != OutcomeKind::Done) {
            // Until the device says otherwise it is taken to hold what was
            // sent: the banner and the question on closing must not go quiet.
            if (lost.effect == DeviceEffect::Unknown && value != 0.0f)
                NoteFixedLoopOutput(s, value, isRev6Hw1(s.identity));
            return lost;
        }
        NoteDeviceStatus(s, DeviceStatus(s.buffer));
        if (FixedOutputAccepted(s.buffer)) break;
        // A refusal leaves the device as it was: nothing is held, and the
        // value typed is not taken as the last one sent.
        const Outcome refusal = RefusedOutcome(ResponseCode(s.buffer));
        if (refusal.writeLocked() && askRepeat && askRepeat(refusal)) continue;
        return refusal;
    }
    f.lastFixedOutput = value < kLowestCurrent ? kLowestCurrent : static_cast<double>(value);
    f.lastFixedOutputIdentification = s.identity.identifications;
    NoteFixedLoopOutput(s, value, isRev6Hw1(s.identity));
    return DoneOutcome();
}

std::optional<Outcome> RequireFixedMode(const DeviceIdentity& id) {
    if (!HasFixedMode(id)) return NotPossibleOutcome(kNotSupported);
    return std::nullopt;
}

}  // namespace

double OfferedFixedOutput(const DeviceIdentity& id, const FrontendState& f) {
    return f.lastFixedOutputIdentification == id.identifications ? f.lastFixedOutput : kLowestCurrent;
}

float FixedOutputRequestValue(double typed) {
    float x = static_cast<float>(typed + 0.000001);
    if (x > 20.0f && typed <= 20.0) x = 20.0f;
    return x;
}

int ExchangeFixedOutput(DeviceState& s, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    BuildLongRequest(s.buffer, kFixedCurrentCommand,
                     {static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
                      static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits)});
    return RunAttemptLoop(s, kFixedOutputProgressText, kFixAttempts);
}

bool FixedOutputAccepted(const ExchangeBuffer& b) { return AnswerHasStatus(b) && ResponseCode(b) == 0; }

Outcome FixLoopOutput(DeviceState& s, FrontendState& f, double typed, const AskRepeatOnLock& askRepeat) {
    if (auto no = RequireFixedMode(s.identity)) return *no;
    // A value a single cannot carry would reach the device as infinity.
    if (!std::isfinite(typed) || !SingleFromDouble(typed + 0.000001))
        return InputRefusedOutcome("value", NotSingleText(FormatGeneral(typed, 15, s.decimalSeparator),
                                                          s.decimalSeparator));
    const float value = FixedOutputRequestValue(typed);
    if (!isRev6Hw1(s.identity) && (value < 4.0f || value > 20.0f)) return InputRefusedOutcome("value", kCurrentRange);
    return SendFixedOutput(s, f, value, askRepeat);
}

Outcome LeaveFixedLoopOutput(DeviceState& s, FrontendState& f, const AskRepeatOnLock& askRepeat) {
    if (auto no = RequireFixedMode(s.identity)) return *no;
    return SendFixedOutput(s, f, 0.0f, askRepeat);
}

Report FixedOutputReport(const Outcome& o) {
    switch (o.cause()) {
        case OutcomeKind::Done: return {};
        case OutcomeKind::Refused:
            if (o.responseCode == kNoResponseCode) return {ErrorText(WithEffect(kNotSent, o))};
            if (o.writeLocked()) return {};
            return {ErrorText(ResponseCodeMessageText(o.responseCode), MessageButtons::Yes)};
        case OutcomeKind::InputRefused: return {ErrorText(o.reason)};
        case OutcomeKind::NotPossible: return {InfoText(o.reason)};
        default: return {ErrorText(WithEffect(kNotSent, o))};
    }
}

void FixedOutputDialog(DeviceState& s, FrontendState& f) {
    if (!ensureIdentified(s)) return;
    const bool voltage = isRev6Hw1(s.identity);
    double offered = OfferedFixedOutput(s.identity, f);
    FixTokDialog d;
    if (voltage) {
        PrepareVoltageTexts(d);
        if (offered == kLowestCurrent) offered = kVoltageStart;
    }
    d.value = FormatDecimals(offered, 4, s.decimalSeparator);

    bool enter = false;
    double typed = 0.0;
    for (;;) {
        if (!s.ui.show(d)) return;
        enter = d.mode == 1;
        if (!enter) break;
        d.value = NormaliseDecimalSeparators(d.value, s.decimalSeparator);
        const std::optional<double> parsed = ParseDecimalText(d.value, s.decimalSeparator);
        if (!parsed || !SingleFromDouble(*parsed + 0.000001)) {
            ErrorBox(s, NotSingleText(d.value, s.decimalSeparator));
            continue;
        }
        typed = *parsed;
        const float value = FixedOutputRequestValue(typed);
        if (!voltage && (value < 4.0f || value > 20.0f)) {
            ErrorBox(s, kCurrentRange);
            continue;
        }
        break;
    }
    const AskRepeatOnLock ask = AskAfterLockText(s.ui);
    const Outcome o = enter ? FixLoopOutput(s, f, typed, ask) : LeaveFixedLoopOutput(s, f, ask);
    ShowReport(s.ui, FixedOutputReport(o));
}

void FixCurrentMenuCommand(DeviceState& s, FrontendState& f) {
    if (!ensureIdentified(s)) return;
    if (!HasFixedMode(s.identity)) {
        InfoBox(s, kNotSupported);
        return;
    }
    FixedOutputDialog(s, f);
}

}  // namespace quillon
