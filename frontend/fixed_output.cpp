#include "frontend/fixed_output.h"

#include <bit>
#include <cmath>

#include "device/held_output.h"
#include "device/identification.h"
#include "device/number_entry.h"
#include "device/response_codes.h"
#include "device/variant.h"
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

void PrepareVoltageTexts(FixTokDialog& d) {
    d.modes = {"Выйти из режима фиксир. напряжения", "Войти в режим фиксир. напряжения"};
    d.valueLabel = "Напряжение (0.8-3.2), В :";
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

int ExchangeFixedOutput(AppState& s, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    BuildLongRequest(s.buffer, kFixedCurrentCommand,
                     {static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
                      static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits)});
    return RunAttemptLoop(s, kFixedOutputProgressText, kFixAttempts);
}

bool FixedOutputAccepted(const ExchangeBuffer& b) { return AnswerHasStatus(b) && ResponseCode(b) == 0; }

bool SendFixedOutput(AppState& s, float value) {
    for (;;) {
        if (ExchangeFixedOutput(s, value) != ExchangeOk || !AnswerHasStatus(s.buffer)) {
            ErrorBox(s, "Не могу выполнить запрос!");
            return false;
        }
        NoteDeviceStatus(s, DeviceStatus(s.buffer));
        if (FixedOutputAccepted(s.buffer)) break;
        // A refusal leaves the device as it was: nothing is held, and the
        // value typed is not taken as the last one sent.
        if (ShowResponseCode(s) && AskRepeatAfterProtection(s)) continue;
        return false;
    }
    s.frontend.lastFixedOutput = value < kLowestCurrent ? kLowestCurrent : static_cast<double>(value);
    s.frontend.lastFixedOutputIdentification = s.identity.identifications;
    NoteFixedLoopOutput(s, value, isRev6Hw1(s.identity));
    return true;
}

void FixedOutputDialog(AppState& s) {
    if (!ensureIdentified(s)) return;
    const bool voltage = isRev6Hw1(s.identity);
    double offered = OfferedFixedOutput(s.identity, s.frontend);
    FixTokDialog d;
    if (voltage) {
        PrepareVoltageTexts(d);
        if (offered == kLowestCurrent) offered = kVoltageStart;
    }
    d.value = FormatDecimals(offered, 4, s.decimalSeparator);

    float value = 0.0f;
    for (;;) {
        if (!s.ui.show(d)) return;
        if (d.mode != 1) {
            value = 0.0f;
            break;
        }
        d.value = NormaliseDecimalSeparators(d.value, s.decimalSeparator);
        const std::optional<double> typed = ParseDecimalText(d.value, s.decimalSeparator);
        // A value a single cannot carry would reach the device as infinity.
        if (!typed || !SingleFromDouble(*typed + 0.000001)) {
            ErrorBox(s, NotSingleText(d.value, s.decimalSeparator));
            continue;
        }
        value = FixedOutputRequestValue(*typed);
        if (!voltage && (value < 4.0f || value > 20.0f)) {
            ErrorBox(s, "Значение тока должно быть в диапазоне 4-20 мА!");
            continue;
        }
        break;
    }
    SendFixedOutput(s, value);
}

void FixCurrentMenuCommand(AppState& s) {
    if (!ensureIdentified(s)) return;
    const DeviceIdentity& id = s.identity;
    if (!isRev6(id) && !isRev7(id) && !isDacBySettings(id)) {
        InfoBox(s, "В этой версии датчика не предусмотрена фиксация тока!");
        return;
    }
    FixedOutputDialog(s);
}

}  // namespace quillon
