#include "device/preambles.h"

#include "device/addressing_setting_read.h"
#include "device/dialogs.h"
#include "device/identification.h"
#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "device/write_lock.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kPreambleSetting = 22;
constexpr std::uint8_t kWritePreamblesCommand = 59;
constexpr std::uint8_t kDefaultPreambles = 9;

constexpr const char* kNotAllowed = "Данное устройство не допускает изменение этого параметра!";
constexpr const char* kReadProgress = "Читаю кол-во преамбул: ";
constexpr const char* kReadStopped = "Не могу прочитать количество преамбул в ответе!";
constexpr const char* kNotEntered = "Количество преамбул не было введено, используется значение по умолчанию";
constexpr const char* kNotSupported = "Данное устройство не поддерживает изменение этого параметра!";
constexpr const char* kReadUnknown = "Неизвестная ошибка при чтении количества преамбул!";
constexpr const char* kWriteCaption = "Запись количества преамбул";
constexpr const char* kWritten = "Данные успешно записаны!";
constexpr const char* kNotWritten = "Не удалось записать параметр !";
constexpr const char* kWriteProgress = "Запись кол-ва преамбул : ";
constexpr const char* kNonVolatileError = "Ошибка энергонезависимой памяти при записи преамбул!";
constexpr const char* kWriteUnknown = "Неизвестная ошибка при записи параметра !";
constexpr const char* kParameterWritten = "Параметр успешно записан!";

std::optional<Outcome> NotPossibleFor(const DeviceIdentity& id) {
    if (auto foreign = RequireOwnMake(id)) return foreign;
    // The firmware families whose preamble count may be changed at all.
    if (!isStandardFamilyExcept7_10_13(id)) return NotPossibleOutcome(kNotAllowed);
    return std::nullopt;
}

// The count the user chose, or nothing when the command ends.
std::optional<int> AskCount(DeviceState& s) {
    PreamblesDialog dialog;
    dialog.text = std::to_string(s.identity.responsePreambles);
    for (;;) {
        if (!s.ui.show(dialog)) return std::nullopt;
        const auto count = ParseWholeNumber(dialog.text);
        if (!count) {
            ErrorBox(s, NotWholeNumberText(dialog.text));
            return std::nullopt;
        }
        if (*count >= kMinPreambles && *count <= kMaxPreambles) return count;
    }
}

Outcome WriteWithCommand59(DeviceState& s, std::uint8_t count, const AskRepeatOnLock& askRepeat) {
    for (;;) {
        BuildLongRequest(s.buffer, kWritePreamblesCommand, {count});
        const std::uint64_t sentBefore = s.requestsSent;
        const int exchange = RunAttemptLoop(s, kWriteProgress, kNoAttemptLimit);
        if (exchange != ExchangeOk) {
            const Outcome o = ExchangeOutcome(s, exchange);
            return s.requestsSent != sentBefore ? WithUnknownEffect(o) : o;
        }
        const std::uint8_t code = AnswerHasStatus(s.buffer) ? ResponseCode(s.buffer) : kNoResponseCode;
        if (code == 0) {
            s.identity.responsePreambles = count;
            return DoneOutcome();
        }
        const Outcome refusal = RefusedOutcome(code);
        if (refusal.writeLocked() && askRepeat && askRepeat(refusal)) continue;
        return refusal;
    }
}

}  // namespace

Result<int> ReadPreambleCount(DeviceState& s, Report* notes) {
    if (auto refused = NotPossibleFor(s.identity)) return {*refused};
    if (!isPreambleFamily(s.identity)) return {DoneOutcome(), s.identity.responsePreambles};
    const RawSettingRead r = ReadSettingLowByte(s, kPreambleSetting, kReadProgress);
    if (r.exchange != ExchangeOk) return {ExchangeOutcome(s, r.exchange)};
    if (r.hasStatus && (r.responseCode == 3 || r.responseCode == 4)) return {RefusedOutcome(r.responseCode)};
    if (!r.lowByte) {
        // Code 1 (never entered), any other code, or a code 0 answer too short
        // to carry the value: the device's default is the best guess.
        if (notes) notes->push_back(ErrorText(r.hasStatus && r.responseCode == 1 ? kNotEntered : kReadUnknown));
        s.identity.responsePreambles = kDefaultPreambles;
    } else {
        s.identity.responsePreambles = *r.lowByte;
    }
    return {DoneOutcome(), s.identity.responsePreambles};
}

Report PreambleReadReport(const Outcome& o) {
    switch (o.cause()) {
        case OutcomeKind::Done: return {};
        case OutcomeKind::NotPossible: return {o.reason == kNotAllowed ? InfoText(o.reason) : ErrorText(o.reason)};
        case OutcomeKind::Refused: return {ErrorText(kNotSupported)};
        default: return {ErrorText(kReadStopped)};
    }
}

Outcome WritePreambleCount(DeviceState& s, int count, const AskRepeatOnLock& askRepeat) {
    if (auto refused = NotPossibleFor(s.identity)) return *refused;
    if (count < kMinPreambles || count > kMaxPreambles)
        return InputRefusedOutcome("preambles", "Количество преамбул " + std::to_string(count) + " вне диапазона 3-50");
    const auto value = static_cast<std::uint8_t>(count);
    if (!isPreambleFamily(s.identity)) return WriteWithCommand59(s, value, askRepeat);
    return WriteSetting(s, kPreambleSetting, value, kWriteCaption, askRepeat);
}

Report PreambleWriteReport(const DeviceIdentity& id, const Outcome& o) {
    const OutcomeKind cause = o.cause();
    if (cause == OutcomeKind::NotPossible) return PreambleReadReport(o);
    if (cause == OutcomeKind::InputRefused) return {ErrorText(o.reason)};
    if (isPreambleFamily(id)) {
        if (o.done()) return {InfoText(kWritten)};
        Outcome stop = o;
        stop.effect = DeviceEffect::None;
        Report report = SettingWriteReport(kPreambleSetting, stop);
        report.push_back(ErrorText(WithEffect(kNotWritten, o)));
        return report;
    }
    switch (cause) {
        case OutcomeKind::Done: return {InfoText(kParameterWritten)};
        case OutcomeKind::Refused:
            if (o.responseCode == 24) return {ErrorText(kNonVolatileError)};
            // The write lock's text came with its question.
            if (o.writeLocked()) return {};
            return {ErrorText(kWriteUnknown)};
        // A stop by the engineer that left nothing unknown needs no words.
        case OutcomeKind::Interrupted:
            if (o.effect == DeviceEffect::None) return {};
            return {ErrorText(WithEffect(kNotWritten, o))};
        default: return {ErrorText(WithEffect(kNotWritten, o))};
    }
}

void PreamblesCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    if (auto refused = NotPossibleFor(s.identity)) {
        ShowReport(s.ui, PreambleReadReport(*refused));
        return;
    }
    if (s.identity.responsePreambles == 0) {
        invalidateIdentity(s);
        if (!ensureIdentified(s)) return;
    }
    Report notes;
    const Result<int> read = ReadPreambleCount(s, &notes);
    ShowReport(s.ui, notes);
    ShowReport(s.ui, PreambleReadReport(read.outcome));
    if (!read.done()) return;

    const auto count = AskCount(s);
    if (!count) return;
    const Outcome o = WritePreambleCount(s, *count, AskLockQuestion(s.ui));
    ShowReport(s.ui, PreambleWriteReport(s.identity, o));
}

}  // namespace quillon
