#include "frontend/dac_setting_io.h"

#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"

namespace quillon {

namespace {

constexpr std::uint8_t kReadSettingCommand = 176;
constexpr const char* kNotWritten = "Не удалось записать параметры!";

// Takes the answer to a setting read: the value, or the code it was refused with.
void TakeSettingAnswer(const ExchangeBuffer& b, DacSettingField& field) {
    const std::uint8_t code = AnswerHasStatus(b) ? ResponseCode(b) : kNoResponseCode;
    if (code != 0 || AnswerDataCount(b) < 5) {
        field.refusal = code == 0 ? kNoResponseCode : code;
        return;
    }
    field.refusal = 0;
    const std::size_t d = AnswerDataIndex(b);
    field.value = (std::uint32_t{b.response[d + 1]} << 24) | (std::uint32_t{b.response[d + 2]} << 16) |
                  (std::uint32_t{b.response[d + 3]} << 8) | std::uint32_t{b.response[d + 4]};
}

std::string NumberList(std::span<const DacSettingValue> values) {
    std::string text;
    for (const DacSettingValue& v : values) {
        if (!text.empty()) text += ", ";
        text += std::to_string(v.number);
    }
    return text;
}

}  // namespace

Outcome ReadDacSettings(DeviceState& s, std::span<DacSettingField> fields) {
    ProgressWindow window(s.ui);
    for (DacSettingField& field : fields) {
        BuildLongRequest(s.buffer, kReadSettingCommand, {field.number});
        const int result =
            ExchangeWithAttempts(s, "Чтение параметра " + std::to_string(field.number) + " : ", kNoAttemptLimit);
        if (result != ExchangeOk) return ExchangeOutcome(s, result);
        TakeSettingAnswer(s.buffer, field);
    }
    return DoneOutcome();
}

Report DacSettingsReadReport(std::span<const DacSettingField> fields, const Outcome& o) {
    Report report;
    if (!o.done()) return report;
    for (const DacSettingField& f : fields) {
        if (f.refusal == 0) continue;
        report.push_back(ErrorText(f.refusal == 1 ? f.notEnteredMessage
                                                  : "Неизвестная ошибка при чтении " + f.otherCodeSuffix));
    }
    return report;
}

std::string SettingsLeftText(std::span<const DacSettingValue> values, int done) {
    const auto n = static_cast<std::size_t>(done);
    if (n == 0 || n >= values.size()) return {};
    return "В датчике новые значения параметров " + NumberList(values.first(n)) + " и прежние — " +
           NumberList(values.subspan(n)) + ".";
}

Outcome WriteDacSettings(DeviceState& s, std::span<const DacSettingValue> values, const AskRepeatOnLock& askRepeat,
                         bool captionByPosition) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        const DacSettingValue& v = values[i];
        const std::string caption = "Запись параметра " + std::to_string(captionByPosition ? i : v.number);
        const Outcome o = WriteSetting(s, v.number, v.value, caption, askRepeat);
        if (!o.done())
            return PartialOutcome(o, static_cast<int>(i), static_cast<int>(values.size()),
                                  SettingsLeftText(values, static_cast<int>(i)));
    }
    return DoneOutcome();
}

Report SettingsWriteFailureReport(std::span<const DacSettingValue> values, const Outcome& o) {
    if (o.done()) return {};
    Report report;
    const auto failed = static_cast<std::size_t>(o.stepsDone);
    if (o.cause() != OutcomeKind::InputRefused && o.cause() != OutcomeKind::NotPossible && failed < values.size()) {
        Outcome step = o;
        step.kind = o.cause();
        step.effect = DeviceEffect::None;
        report = SettingWriteReport(values[failed].number, step);
    } else if (!o.reason.empty()) {
        report.push_back(ErrorText(o.reason));
    }
    report.push_back(ErrorText(WithEffect(kNotWritten, o)));
    return report;
}

Report DacSettingsWriteReport(std::span<const DacSettingValue> values, const Outcome& o) {
    if (o.done()) return {InfoText("Данные успешно записаны!")};
    return SettingsWriteFailureReport(values, o);
}

}  // namespace quillon
