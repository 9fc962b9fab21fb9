#include "calibration/calibration_write_report.h"

#include "calibration/calibration_form.h"
#include "device/number_entry.h"
#include "device/outcome_text.h"
#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "device/write_lock.h"

namespace quillon {

namespace {

constexpr const char* kWriteFailed = "Не удалось записать калибровку!";
constexpr const char* kFlashError = "Ошибка записи во flash-память!";
constexpr const char* kUnknownDeviceError = "Неизвестная ошибка устройства!";
constexpr const char* kAccepted = "Данные были успешно отправлены и приняты к исполнению!";
constexpr const char* kCalibrationOk = "Калибровка OK!";
// The code-point firmware spells this question with a space before the mark.
constexpr const char* kProtectedRepeatQuestion =
    "Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе "
    "датчика. Повторить попытку ?";

bool Lost(const Outcome& o) { return o.cause() == OutcomeKind::NoAnswer || o.cause() == OutcomeKind::Interrupted; }

// The failure text of a write, with the link's words when it gave up and what the write left.
std::string Failed(std::string text, const Outcome& step, const Outcome& whole) {
    if (step.cause() == OutcomeKind::NoAnswer) text += "\n" + NoAnswerText(step);
    return WithEffect(std::move(text), whole);
}

void PointsFailure(Report& out, const CalibrationWriteSteps& steps, const Outcome& points, const Outcome& whole) {
    if (points.cause() == OutcomeKind::Refused && steps.form != CalibrationList::TemperaturePairs &&
        !points.writeLocked()) {
        const std::uint8_t flashCode = steps.form == CalibrationList::Segments ? 6 : 24;
        out.push_back(ErrorText(points.responseCode == flashCode ? kFlashError : kUnknownDeviceError));
    }
    out.push_back(ErrorText(Failed(kWriteFailed, points, whole)));
}

// The correction reset and the check, as the engineer has always seen them.
void FinishReport(Report& out, const CalibrationWriteSteps& steps, const Outcome& whole, bool& effectTold) {
    const auto withEffect = [&](std::string text, const Outcome& step) {
        if (effectTold) return step.cause() == OutcomeKind::NoAnswer ? text + "\n" + NoAnswerText(step) : text;
        effectTold = true;
        return Failed(std::move(text), step, whole);
    };
    if (steps.correctionReset && !steps.correctionReset->done()) {
        for (const Box& box : SettingWriteReport(steps.correctionSetting, *steps.correctionReset)) out.push_back(box);
        out.push_back(ErrorText("Не удалось записать параметры!"));
        out.push_back(ErrorText(withEffect("Не удалось обнулить поправки!", *steps.correctionReset)));
        return;
    }
    if (steps.validity) {
        if (Lost(*steps.validity))
            out.push_back(ErrorText(withEffect("Не удалось перепроверить калибровку !", *steps.validity)));
        else if (!steps.validity->done())
            out.push_back(ErrorText(withEffect("Ошибка! Датчик не откалиброван", *steps.validity)));
        else if (whole.done())
            out.push_back(InfoText(kCalibrationOk));
        return;
    }
    // Pairs sent in one request have no check to ask for; a write that went through says so all the same.
    if (steps.inOneRequest && whole.done()) out.push_back(InfoText(kCalibrationOk));
}

}  // namespace

Report CalibrationWriteReport(const CalibrationWriteResult& r) {
    const Outcome& whole = r.outcome;
    const CalibrationWriteSteps& steps = r.value;
    Report out;
    if (!steps.points) {
        switch (whole.cause()) {
            case OutcomeKind::Done: return out;
            case OutcomeKind::NotPossible:
                // The devices whose calibration this tool does not handle have always been told so as a notice.
                if (whole.reason == kCalibrationNotSupported) return {InfoText(whole.reason)};
                return {ErrorText(whole.reason)};
            case OutcomeKind::InputRefused: return {ErrorText(whole.reason)};
            // Only the extra point is read before a write.
            default: return {ErrorText(Failed("Не удалось сосчитать дополнительную информацию!", whole, whole))};
        }
    }
    if (!steps.points->done()) {
        PointsFailure(out, steps, *steps.points, whole);
        return out;
    }
    bool effectTold = false;
    if (steps.extraPoint && !steps.extraPoint->done()) {
        effectTold = true;
        out.push_back(ErrorText(Failed(Lost(*steps.extraPoint) ? "Не удалось записать параметры ЦАП!"
                                                               : "Произошла ошибка при записи параметров ЦАП!",
                                       *steps.extraPoint, whole)));
    }
    if (steps.confirmation) {
        if (Lost(*steps.confirmation))
            out.push_back(ErrorText(
                effectTold ? "Не удалось переопросить параметры калибровки!"
                           : Failed("Не удалось переопросить параметры калибровки!", *steps.confirmation, whole)));
        else if (!steps.confirmation->done())
            out.push_back(ErrorText(effectTold ? "Ошибка при перепроверке параметров! Данные не приняты к исполнению!"
                                               : WithEffect("Ошибка при перепроверке параметров! Данные не приняты к "
                                                            "исполнению!",
                                                            whole)));
        else if (whole.done())
            out.push_back(InfoText(kAccepted));
        return out;
    }
    if (steps.form == CalibrationList::Segments) {
        if (whole.done()) out.push_back(InfoText(kAccepted));
        return out;
    }
    if (steps.sensorId && !steps.sensorId->done()) {
        effectTold = true;
        out.push_back(ErrorText(Failed("Ошибка при записи ID сенсора для которого сделана калибровка!",
                                       *steps.sensorId, whole)));
    }
    FinishReport(out, steps, whole, effectTold);
    return out;
}

AskRepeatOnLock AskCalibrationLockQuestion(UserInterface& ui) {
    return [&ui](const Outcome&) {
        return ui.message(MessageIcon::Error, kProtectedRepeatQuestion, MessageButtons::YesNo) == MessageAnswer::Yes;
    };
}

AskRepeatOnLock AskPairsRepeatQuestion(UserInterface& ui) {
    return [&ui](const Outcome& refusal) {
        const char* question =
            refusal.responseCode == kNoResponseCode ? "Получена неправильная длина ответа. Повторить попытку?"
            : refusal.responseCode == 7 ? "Запись запрещена. Возможно, нужно нажать кнопку на корпусе датчика. Повторить?"
                                        : "Произошла ошибка при записи. Повторить?";
        return ui.message(MessageIcon::Warning, question, MessageButtons::YesNo) == MessageAnswer::Yes;
    };
}

CalibrationWriteQuestions WindowsWriteQuestions(UserInterface& ui, char separator,
                                                std::function<bool()> writeI2cSensorString) {
    CalibrationWriteQuestions q;
    const auto ask = [&ui](const char* text) {
        return ui.message(MessageIcon::Warning, text, MessageButtons::YesNo) == MessageAnswer::Yes;
    };
    q.giveUpAfterStop = [ask] { return ask("Отменить запись калибровки?"); };
    q.repeatAfterError = AskPairsRepeatQuestion(ui);
    q.skipSensorIdAfterStop = [ask] { return ask("Отменить запись ID сенсора?"); };
    q.clearExtraPoint = [&ui, separator](const ExtraPoint& held) {
        const std::string text = "В датчике есть добавочная точка (Код: " + std::to_string(held.code) +
                                 " Тем-ра : " + FormatGeneral(held.value, 7, separator) +
                                 "), а в калибровке её нет. Запись калибровки сотрёт её. Продолжить?";
        return ui.message(MessageIcon::Warning, text, MessageButtons::YesNo) == MessageAnswer::Yes;
    };
    q.writeI2cSensorString = std::move(writeI2cSensorString);
    q.repeatSettingOnLock = AskLockQuestion(ui);
    return q;
}

}  // namespace quillon
