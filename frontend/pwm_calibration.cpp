#include "frontend/pwm_calibration.h"

#include <bit>

#include "device/held_output.h"
#include "device/number_entry.h"
#include "device/parameter_access.h"
#include "device/variant.h"
#include "frontend/output_fields.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr float kFreshFeedback = 0.5f;

struct ProcedureRun {
    AppState& s;
    bool voltage;
    bool dutyFixed = false;
};

// The duty of point k (0 or 1); false on Cancel.
bool EnterDuty(ProcedureRun& run, int k) {
    AppState& s = run.s;
    const std::string bound = FormatGeneral(1.0, 15, s.decimalSeparator);
    PwmDutyDialog d;
    d.caption = "Ввод точки калибровки " + std::to_string(k + 1) + " для ШИМ";
    d.label = "Скважность ШИМ [0-" + bound + "] :";
    d.duty = SingleText(s, s.frontend.pwmPointDuty[static_cast<std::size_t>(k)]);
    for (;;) {
        if (!s.ui.show(d)) return false;
        d.duty = NormaliseDecimalSeparators(d.duty, s.decimalSeparator);
        const auto duty = ParseDecimalText(d.duty, s.decimalSeparator);
        if (!duty) {
            ErrorBox(s, "Введены неправильные цифры!");
            ErrorBox(s, NotDecimalNumberText(d.duty));
            continue;
        }
        if (*duty < 0.0 || *duty > 1.0) {
            ErrorBox(s, "Скважность должна быть в диапазоне [0-" + bound + "]!");
            continue;
        }
        s.frontend.pwmPointDuty[static_cast<std::size_t>(k)] = static_cast<float>(*duty);
        return true;
    }
}

bool FixDuty(ProcedureRun& run, int k) {
    AppState& s = run.s;
    run.dutyFixed = true;
    return SendFixedDuty(s, s.frontend.pwmPointDuty[static_cast<std::size_t>(k)],
                         "Фиксирую скважность для точки " + std::to_string(k + 1));
}

// The engineer's reading of the output and the point's code; false on Cancel.
bool EnterPoint(ProcedureRun& run, int k, std::uint32_t measured, std::int64_t& code) {
    AppState& s = run.s;
    const auto i = static_cast<std::size_t>(k);
    PwmPointDialog d;
    d.caption = "Ввод точки калибровки " + std::to_string(k + 1) + " для ШИМ";
    d.duty = SingleText(s, s.frontend.pwmPointDuty[i]);
    d.code = std::to_string(measured);
    d.output = SingleText(s, s.frontend.pwmPointOutput[i]);
    if (run.voltage) d.outputLabel = "Напряж, В";
    for (;;) {
        if (!s.ui.show(d)) return false;
        const auto output = TakeSingleField(s, d.output, "");
        if (!output) continue;
        s.frontend.pwmPointOutput[i] = *output;
        if (*output < 0.0f || *output > 30.0f) {
            ErrorBox(s, "Значение тока должно быть в диапазоне 0-30 мА!");
            continue;
        }
        const auto typed = TakeWholeField(s, d.code, "");
        if (!typed) continue;
        code = *typed;
        return true;
    }
}

// Cancel or a failed fixing: a duty that may be fixed is offered for release.
void Abandon(ProcedureRun& run) {
    if (!run.dutyFixed) return;
    AppState& s = run.s;
    if (s.ui.message(MessageIcon::Confirmation, "Выйти из режима фиксированной скважности ?", MessageButtons::YesNo) ==
        MessageAnswer::Yes)
        ReleaseFixedDuty(s, "Отмена фикс. скважности");
}

}  // namespace

bool SendFixedDuty(AppState& s, float duty, const std::string& caption) {
    if (writeSetting(s, kFixedDutySetting, std::bit_cast<std::uint32_t>(duty), caption) != kSettingWritten) {
        ErrorBox(s, "Не удалось установить скважность!");
        return false;
    }
    NoteFixedDuty(s, duty);
    return true;
}

bool ReleaseFixedDuty(AppState& s, const std::string& caption) {
    if (writeSetting(s, kFixedDutySetting, kNoFixedDuty, caption) != kSettingWritten) return false;
    NoteFixedDuty(s, std::nullopt);
    return true;
}

void EditPwmCalibration(AppState& s) {
    const SettingListResult list = readSettingList(s);
    if (list.stopped) return;
    PwmCalibration c;
    for (std::size_t i = 0; i < c.values.size(); ++i) {
        c.present[i] = list.present[i];
        const std::uint32_t v = list.values[i];
        c.values[i] = (i == kCode1 || i == kCode2) ? static_cast<double>(v) : std::bit_cast<float>(v);
    }
    PwmCalibrationWindow(s, c);
}

void PwmCalibrationProcedure(AppState& s) {
    ProcedureRun run{s, isRev6Hw1(s.identity)};
    s.frontend.pwmPointDuty = run.voltage ? std::array<float, 2>{0.3f, 0.85f} : std::array<float, 2>{0.1f, 0.8f};
    if (run.voltage) s.frontend.pwmPointOutput = {1.0f, 3.0f};

    std::array<std::int64_t, 2> codes{};
    for (int k = 0; k < 2; ++k) {
        if (!EnterDuty(run, k) || !FixDuty(run, k)) return Abandon(run);
        const std::uint32_t measured = MeasureFeedbackCode(s);
        if (!EnterPoint(run, k, measured, codes[static_cast<std::size_t>(k)])) return Abandon(run);
    }

    PwmCalibration c;
    c.values = {s.frontend.pwmPointDuty[0], s.frontend.pwmPointOutput[0], static_cast<double>(codes[0]),
                s.frontend.pwmPointDuty[1], s.frontend.pwmPointOutput[1], static_cast<double>(codes[1]),
                kFreshFeedback};
    c.present.fill(true);
    PwmCalibrationWindow(s, c);
}

}  // namespace quillon
