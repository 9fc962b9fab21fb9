#include "frontend/held_output.h"

#include "app/app_state.h"
#include "device/identification.h"
#include "device/number_entry.h"
#include "frontend/fixed_output.h"
#include "frontend/pwm_calibration.h"
#include "link/serial_link.h"

namespace quillon {

namespace {

void ShowBanner(AppState& s) {
    std::string text = HeldOutputBanner(s);
    if (text == s.heldOutput.shownBanner) return;
    s.heldOutput.shownBanner = text;
    s.ui.setFixedOutputBanner(text);
}

void Append(std::string& text, const std::string& part) {
    if (!text.empty()) text += "; ";
    text += part;
}

}  // namespace

void NoteFixedLoopOutput(AppState& s, double value, bool voltage) {
    if (value == 0.0)
        s.heldOutput.loopValue.reset();
    else
        s.heldOutput.loopValue = value;
    s.heldOutput.loopIsVoltage = voltage;
    ShowBanner(s);
}

void NoteFixedDuty(AppState& s, std::optional<float> duty) {
    s.heldOutput.duty = duty;
    ShowBanner(s);
}

void NoteDeviceStatus(AppState& s, std::uint8_t deviceStatus) {
    s.heldOutput.deviceReportsFixedCurrent = (deviceStatus & kFixedCurrentStatusBit) != 0;
    ShowBanner(s);
}

std::string HeldOutputBanner(const AppState& s) {
    const HeldOutput& h = s.heldOutput;
    const char sep = s.decimalSeparator;
    std::string text;
    if (h.loopValue) {
        if (h.loopIsVoltage)
            Append(text, "Напряжение зафиксировано: " + FormatDecimals(*h.loopValue, 4, sep) + " В");
        else
            Append(text, "Ток зафиксирован: " + FormatDecimals(*h.loopValue, 4, sep) + " мА");
    } else if (h.deviceReportsFixedCurrent) {
        Append(text, "Датчик сообщает: ток зафиксирован");
    }
    if (h.duty) Append(text, "Скважность ШИМ зафиксирована: " + FormatDecimals(*h.duty, 5, sep));
    return text;
}

bool ToolHoldsOutput(const AppState& s) { return s.heldOutput.loopValue.has_value() || s.heldOutput.duty.has_value(); }

std::string ReleaseBeforeCloseQuestion(const AppState& s) {
    std::string held;
    const HeldOutput& h = s.heldOutput;
    const char sep = s.decimalSeparator;
    if (h.loopValue)
        Append(held, h.loopIsVoltage ? "напряжение " + FormatDecimals(*h.loopValue, 4, sep) + " В"
                                     : "ток " + FormatDecimals(*h.loopValue, 4, sep) + " мА");
    if (h.duty) Append(held, "скважность ШИМ " + FormatDecimals(*h.duty, 5, sep));
    return "Выход датчика зафиксирован (" + held +
           ").\nСнять фиксацию перед закрытием программы?\n\n"
           "Да - снять фиксацию и закрыть, Нет - закрыть, Отмена - не закрывать.";
}

bool ReleaseHeldOutput(AppState& s) {
    return WithPortOpen(s, [&] {
        if (!ensureIdentified(s)) return false;
        bool released = true;
        if (s.heldOutput.loopValue && !SendFixedOutput(s, 0.0f)) released = false;
        if (s.heldOutput.duty && !ReleaseFixedDuty(s, "Отмена фикс. скважности")) released = false;
        return released;
    });
}

}  // namespace quillon
