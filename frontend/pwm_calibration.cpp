#include "frontend/pwm_calibration.h"

#include <bit>
#include <cmath>

#include "device/held_output.h"
#include "device/number_entry.h"
#include "device/parameter_access.h"
#include "device/variant.h"
#include "device/write_lock.h"
#include "frontend/output_fields.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr float kFreshFeedback = 0.5f;
constexpr const char* kNoPwmOutput = "В этой версии датчика не предусмотрена фиксация скважности ШИМ!";
constexpr const char* kDutyNotFixed = "Не удалось установить скважность!";

std::string DutyRangeText(char separator) {
    return "Скважность должна быть в диапазоне [0-" + FormatGeneral(1.0, 15, separator) + "]!";
}

struct ProcedureRun {
    DeviceState& s;
    FrontendState& f;
    bool voltage;
    bool dutyFixed = false;
};

// The duty of point k (0 or 1); false on Cancel.
bool EnterDuty(ProcedureRun& run, int k) {
    DeviceState& s = run.s;
    PwmDutyDialog d;
    d.caption = "Ввод точки калибровки " + std::to_string(k + 1) + " для ШИМ";
    d.label = "Скважность ШИМ [0-" + FormatGeneral(1.0, 15, s.decimalSeparator) + "] :";
    d.duty = SingleText(s, run.f.pwmPointDuty[static_cast<std::size_t>(k)]);
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
            ErrorBox(s, DutyRangeText(s.decimalSeparator));
            continue;
        }
        run.f.pwmPointDuty[static_cast<std::size_t>(k)] = static_cast<float>(*duty);
        return true;
    }
}

bool FixPointDuty(ProcedureRun& run, int k) {
    run.dutyFixed = true;
    return SendFixedDuty(run.s, run.f.pwmPointDuty[static_cast<std::size_t>(k)],
                         "Фиксирую скважность для точки " + std::to_string(k + 1));
}

// The engineer's reading of the output and the point's code; false on Cancel.
bool EnterPoint(ProcedureRun& run, int k, std::uint32_t measured, std::int64_t& code) {
    DeviceState& s = run.s;
    const auto i = static_cast<std::size_t>(k);
    PwmPointDialog d;
    d.caption = "Ввод точки калибровки " + std::to_string(k + 1) + " для ШИМ";
    d.duty = SingleText(s, run.f.pwmPointDuty[i]);
    d.code = std::to_string(measured);
    d.output = SingleText(s, run.f.pwmPointOutput[i]);
    if (run.voltage) d.outputLabel = "Напряж, В";
    for (;;) {
        if (!s.ui.show(d)) return false;
        const auto output = TakeSingleField(s, d.output, "");
        if (!output) continue;
        run.f.pwmPointOutput[i] = *output;
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
    DeviceState& s = run.s;
    if (s.ui.message(MessageIcon::Confirmation, "Выйти из режима фиксированной скважности ?", MessageButtons::YesNo) ==
        MessageAnswer::Yes)
        ReleaseFixedDuty(s, "Отмена фикс. скважности");
}

}  // namespace

Outcome FixDuty(DeviceState& s, float duty, const std::string& caption, const AskRepeatOnLock& askRepeat) {
    if (auto foreign = RequireOwnMake(s.identity)) return *foreign;
    if (!isRev6(s.identity)) return NotPossibleOutcome(kNoPwmOutput);
    if (!(duty >= 0.0f && duty <= 1.0f)) return InputRefusedOutcome("duty", DutyRangeText(s.decimalSeparator));
    const Outcome o = WriteSetting(s, kFixedDutySetting, std::bit_cast<std::uint32_t>(duty), caption, askRepeat);
    // A duty whose answer was lost may be held: the banner and the question
    // on closing must say so until it is released.
    if (o.done() || o.effect == DeviceEffect::Unknown) NoteFixedDuty(s, duty);
    return o;
}

Outcome ReleaseDuty(DeviceState& s, const std::string& caption, const AskRepeatOnLock& askRepeat) {
    if (auto foreign = RequireOwnMake(s.identity)) return *foreign;
    if (!isRev6(s.identity)) return NotPossibleOutcome(kNoPwmOutput);
    const Outcome o = WriteSetting(s, kFixedDutySetting, kNoFixedDuty, caption, askRepeat);
    if (o.done()) NoteFixedDuty(s, std::nullopt);
    return o;
}

Report FixedDutyReport(const Outcome& o) {
    switch (o.cause()) {
        case OutcomeKind::Done: return {};
        case OutcomeKind::InputRefused: return {ErrorText(o.reason)};
        case OutcomeKind::NotPossible: return {InfoText(o.reason)};
        default: {
            // What the device may hold is said once, after the last text.
            Outcome step = o;
            step.effect = DeviceEffect::None;
            Report report = SettingWriteReport(kFixedDutySetting, step);
            report.push_back(ErrorText(WithEffect(kDutyNotFixed, o)));
            return report;
        }
    }
}

bool SendFixedDuty(DeviceState& s, float duty, const std::string& caption) {
    const Outcome o = FixDuty(s, duty, caption, AskLockQuestion(s.ui));
    ShowReport(s.ui, FixedDutyReport(o));
    return o.done();
}

bool ReleaseFixedDuty(DeviceState& s, const std::string& caption) {
    const Outcome o = ReleaseDuty(s, caption, AskLockQuestion(s.ui));
    if (o.cause() == OutcomeKind::NotPossible)
        ShowReport(s.ui, {InfoText(o.reason)});
    else
        ShowReport(s.ui, SettingWriteReport(kFixedDutySetting, o));
    return o.done();
}

void EditPwmCalibration(DeviceState& s) {
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

void PwmCalibrationProcedure(DeviceState& s, FrontendState& f) {
    ProcedureRun run{s, f, isRev6Hw1(s.identity)};
    f.pwmPointDuty = run.voltage ? std::array<float, 2>{0.3f, 0.85f} : std::array<float, 2>{0.1f, 0.8f};
    if (run.voltage) f.pwmPointOutput = {1.0f, 3.0f};

    std::array<std::int64_t, 2> codes{};
    for (int k = 0; k < 2; ++k) {
        if (!EnterDuty(run, k) || !FixPointDuty(run, k)) return Abandon(run);
        const std::uint32_t measured = MeasureFeedbackCode(s);
        if (!EnterPoint(run, k, measured, codes[static_cast<std::size_t>(k)])) return Abandon(run);
    }

    PwmCalibration c;
    c.values = {f.pwmPointDuty[0], f.pwmPointOutput[0], static_cast<double>(codes[0]),
                f.pwmPointDuty[1], f.pwmPointOutput[1], static_cast<double>(codes[1]),
                kFreshFeedback};
    c.present.fill(true);
    PwmCalibrationWindow(s, c);
}

}  // namespace quillon
