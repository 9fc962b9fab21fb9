#include "device/settings_sequence.h"

#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "device/write_lock.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"

namespace quillon {

namespace {

constexpr std::uint8_t kReadSettingCommand = 176;
constexpr const char* kUnknownReadError = "Неизвестная ошибка при чтении ";
constexpr const char* kUnsupported = "Данный параметр не поддерживается устройством!";
constexpr const char* kNotWritten = "Не удалось записать параметры!";
constexpr const char* kWritten = "Данные успешно записаны!";

std::string NumberList(const SettingValues& values, std::size_t from, std::size_t to) {
    std::string text;
    for (std::size_t i = from; i < to; ++i) text += (text.empty() ? "" : ", ") + std::to_string(values[i].first);
    return text;
}

// What a write stopped at `failed` leaves: the settings before it are new,
// the failed one new or old when its answer was lost, the rest old.
std::string WhatIsLeft(const SettingValues& values, std::size_t failed, bool failedUnknown) {
    std::string text = "В устройстве новые значения параметров " + NumberList(values, 0, failed);
    if (failedUnknown) text += "; неизвестно значение параметра " + std::to_string(values[failed].first);
    const std::size_t oldFrom = failedUnknown ? failed + 1 : failed;
    if (oldFrom < values.size()) text += "; прежние значения параметров " + NumberList(values, oldFrom, values.size());
    return text + ".";
}

}  // namespace

Result<SequenceValues> ReadSettingValues(DeviceState& s, const std::vector<SequenceSetting>& settings,
                                         bool refuseUnsupported) {
    Result<SequenceValues> out;
    for (const auto& setting : settings) out.value.values.push_back(setting.defaultValue);
    if (auto foreign = RequireOwnMake(s.identity)) {
        out.outcome = *foreign;
        return out;
    }

    ProgressWindow window(s.ui);
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const SequenceSetting& setting = settings[i];
        BuildLongRequest(s.buffer, kReadSettingCommand, {setting.number});
        const int exchange =
            ExchangeWithAttempts(s, "Чтение параметра " + std::to_string(setting.number) + " : ", kNoAttemptLimit);
        if (exchange != ExchangeOk) {
            out.outcome = ExchangeOutcome(s, exchange);
            return out;
        }
        // An answer without status bytes or value is as unknown as an unknown code.
        const int code = AnswerHasStatus(s.buffer) ? ResponseCode(s.buffer) : -1;
        if (code == 1) {
            out.value.notes.push_back(ErrorText(setting.notEnteredText));
            continue;
        }
        if (refuseUnsupported && (code == 3 || code == 4)) {
            out.outcome = RefusedOutcome(static_cast<std::uint8_t>(code));
            return out;
        }
        if (code != 0 || AnswerDataCount(s.buffer) < 5) {
            out.value.notes.push_back(ErrorText(kUnknownReadError + setting.nameText));
            continue;
        }
        const std::size_t d = AnswerDataIndex(s.buffer);
        const auto& r = s.buffer.response;
        out.value.values[i] = (std::uint32_t{r[d + 1]} << 24) | (std::uint32_t{r[d + 2]} << 16) |
                              (std::uint32_t{r[d + 3]} << 8) | std::uint32_t{r[d + 4]};
    }
    return out;
}

Report SequenceReadReport(const Outcome& o, const std::string& stoppedText) {
    switch (o.cause()) {
        case OutcomeKind::Done: return {};
        case OutcomeKind::Refused: return {ErrorText(kUnsupported)};
        case OutcomeKind::NotPossible: return {ErrorText(o.reason)};
        default:
            if (stoppedText.empty()) return {};
            return {ErrorText(stoppedText)};
    }
}

Outcome WriteSettingValues(DeviceState& s, const SettingValues& values, const AskRepeatOnLock& askRepeat) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto [number, value] = values[i];
        const Outcome o = WriteSetting(s, number, value, "Запись параметра " + std::to_string(number), askRepeat);
        if (o.done()) continue;
        if (i == 0) return o;
        return PartialOutcome(o, static_cast<int>(i), static_cast<int>(values.size()),
                              WhatIsLeft(values, i, o.effect == DeviceEffect::Unknown));
    }
    return DoneOutcome();
}

Report SequenceWriteReport(const SettingValues& values, const Outcome& o) {
    if (o.done()) return {InfoText(kWritten)};
    if (o.cause() == OutcomeKind::NotPossible || o.cause() == OutcomeKind::InputRefused) return {ErrorText(o.reason)};
    Report report;
    const auto failed = static_cast<std::size_t>(o.kind == OutcomeKind::Partial ? o.stepsDone : 0);
    if (failed < values.size()) {
        // The failed setting's own box says why; what the whole write left follows once.
        Outcome stop = o;
        stop.kind = o.cause();
        stop.effect = DeviceEffect::None;
        report = SettingWriteReport(values[failed].first, stop);
    }
    report.push_back(ErrorText(WithEffect(kNotWritten, o)));
    return report;
}

SequenceReadResult ReadSettingSequence(DeviceState& s, const std::vector<SequenceSetting>& settings,
                                       const std::string& stoppedText, bool refuseUnsupported) {
    const Result<SequenceValues> r = ReadSettingValues(s, settings, refuseUnsupported);
    ShowReport(s.ui, r.value.notes);
    ShowReport(s.ui, SequenceReadReport(r.outcome, stoppedText));
    if (r.done()) return {SequenceRead::Complete, r.value.values};
    return {r.outcome.cause() == OutcomeKind::Refused ? SequenceRead::Unsupported : SequenceRead::Stopped,
            r.value.values};
}

bool WriteSettingSequence(DeviceState& s, const SettingValues& values) {
    const Outcome o = WriteSettingValues(s, values, AskLockQuestion(s.ui));
    ShowReport(s.ui, SequenceWriteReport(values, o));
    return o.done();
}

}  // namespace quillon
