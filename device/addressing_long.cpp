#include <array>

#include "device/addressing.h"
#include "device/dialogs.h"
#include "device/identification.h"
#include "device/parameter_access.h"
#include "device/polling_answer.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "device/write_lock.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"

namespace quillon {

namespace {

constexpr std::uint8_t kWriteLongAddressCommand = 19;
constexpr std::uint8_t kConfirmLongAddress = 1;
constexpr std::uint8_t kWriteLockedCode = 7;

constexpr const char* kNotAvailable = "Эта функция недоступна для текущей версии датчика!";
constexpr const char* kBadAddressCaption = "Ошибка!";
constexpr const char* kBadAddress = "Ошибка в длинном адресе!";
constexpr const char* kWriteProgress = "Пишу длинный адрес. Попытка ";
constexpr const char* kConfirmProgress = "Переопрос длинного адреса. Попытка ";
constexpr const char* kNotWritten = "Не удалось записать длинный адрес!";
constexpr const char* kWriteFailed = "Произошла ошибка при записи длинного адреса!";
constexpr const char* kNotConfirmed = "Не удалось переопросить длинный адрес!";
constexpr const char* kAccepted = "Данные были успешно отправлены и приняты к исполнению!";
constexpr const char* kRejected = "Ошибка при перепроверке параметров! Данные не приняты к исполнению!";

// The three device-id bytes, or nothing when the user cancels.
std::optional<DeviceId> AskDeviceId(DeviceState& s) {
    LongAddressDialog dialog;
    for (std::size_t i = 0; i < dialog.edits.size(); ++i) dialog.edits[i] = HexByteText(s.identity.longAddress[i]);
    for (;;) {
        if (!s.ui.show(dialog)) return std::nullopt;
        DeviceId id{};
        bool valid = true;
        for (std::size_t i = 0; i < id.size() && valid; ++i) {
            const auto byte = ParseDeviceIdByte(dialog.edits[i + 2]);
            valid = byte.has_value();
            if (valid) id[i] = *byte;
        }
        if (valid) return id;
        s.ui.message(MessageIcon::Error, kBadAddress, MessageButtons::Ok, kBadAddressCaption);
    }
}

std::uint8_t CodeOf(const ExchangeBuffer& b) { return AnswerHasStatus(b) ? ResponseCode(b) : kNoResponseCode; }

// One request of the write, repeated while the device's write lock is
// released on request. Done: an answer with code 0 (or, for `anyCode`, any
// answer with a status).
Outcome SendStep(DeviceState& s, const char* progress, const AskRepeatOnLock& askRepeat) {
    for (;;) {
        const std::uint64_t sentBefore = s.requestsSent;
        const int exchange = RunAttemptLoop(s, progress, kNoAttemptLimit);
        if (exchange != ExchangeOk) {
            const Outcome o = ExchangeOutcome(s, exchange);
            return s.requestsSent != sentBefore ? WithUnknownEffect(o) : o;
        }
        const std::uint8_t code = CodeOf(s.buffer);
        if (code == 0) return DoneOutcome();
        const Outcome refusal = RefusedOutcome(code);
        if (refusal.writeLocked() && askRepeat && askRepeat(refusal)) continue;
        return refusal;
    }
}

}  // namespace

Outcome WriteLongAddress(DeviceState& s, const DeviceId& id, const AskRepeatOnLock& askRepeat) {
    if (auto foreign = RequireOwnMake(s.identity)) return *foreign;
    if (!supportsLongAddressChange(s.identity)) return NotPossibleOutcome(kNotAvailable);
    Outcome o;
    if (isStandardCommandFamily(s.identity)) {
        BuildLongRequest(s.buffer, kWriteLongAddressCommand, id.data(), id.size());
        o = SendStep(s, kWriteProgress, askRepeat);
    } else {
        const std::uint16_t index = isRev3Hw1(s.identity) ? kLongAddressIndexRev3Hw1 : kLongAddressIndex;
        BuildWriteParameterBlock(s, index, id.data(), id.size());
        o = SendStep(s, kWriteProgress, askRepeat);
        // A refused staging leaves nothing new to confirm: confirming then
        // would make the device take whatever its block held before.
        if (o.done()) {
            BuildConfirmParameterBlock(s, kConfirmLongAddress);
            Outcome confirm = SendStep(s, kConfirmProgress, askRepeat);
            const bool accepted = confirm.done() && AnswerWithinReceived(s.buffer) &&
                                  AnswerDataCount(s.buffer) >= 1 &&
                                  s.buffer.response[AnswerDataIndex(s.buffer)] == 1;
            if (confirm.done() && !accepted) {
                confirm = RefusedOutcome(kNoResponseCode);
                confirm.reason = kRejected;
            }
            o = accepted ? DoneOutcome()
                         : PartialOutcome(confirm, 1, 2,
                                          "Новый адрес записан в блок параметров, но не подтверждён: устройство "
                                          "может отвечать по прежнему адресу.");
        }
    }
    // Any answer may come from the device under its new address: identify again.
    const bool answered = o.done() || o.cause() == OutcomeKind::Refused;
    if (answered) invalidateIdentity(s);
    return o;
}

Report LongAddressReport(const DeviceIdentity& id, const Outcome& o) {
    switch (o.cause()) {
        case OutcomeKind::Done: return {InfoText(kAccepted)};
        case OutcomeKind::NotPossible:
            return {o.reason == kNotAvailable ? InfoText(o.reason) : ErrorText(o.reason)};
        case OutcomeKind::InputRefused: return {ErrorText(o.reason)};
        case OutcomeKind::Refused:
            if (o.kind == OutcomeKind::Partial) return {ErrorText(WithEffect(o.reason.empty() ? kRejected : o.reason, o))};
            // The write lock's text came with its question.
            if (o.writeLocked()) return {};
            if (!isStandardCommandFamily(id)) return {ErrorText(kWriteFailed)};
            if (o.responseCode == kNoResponseCode)
                return {ErrorText(ResponseCodeMessageText(kNoResponseCode), MessageButtons::Yes)};
            return {ErrorText(ResponseCodeMessageText(o.responseCode), MessageButtons::Yes)};
        default:
            if (o.kind == OutcomeKind::Partial) return {ErrorText(WithEffect(kNotConfirmed, o))};
            return {ErrorText(WithEffect(kNotWritten, o))};
    }
}

void ChangeLongAddrCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    if (!isOwnMake(s.identity) || !supportsLongAddressChange(s.identity)) {
        ShowReport(s.ui, LongAddressReport(s.identity, WriteLongAddress(s, {}, NeverRepeat)));
        return;
    }
    const auto id = AskDeviceId(s);
    if (!id) return;
    // Code 7 gets the one warning question; code 16 its own text first.
    const AskRepeatOnLock lockQuestion = AskLockQuestion(s.ui);
    const AskRepeatOnLock afterText = AskAfterLockText(s.ui);
    const AskRepeatOnLock ask = [&](const Outcome& refusal) {
        return refusal.responseCode == kWriteLockedCode ? lockQuestion(refusal) : afterText(refusal);
    };
    const Outcome o = WriteLongAddress(s, *id, ask);
    ShowReport(s.ui, LongAddressReport(s.identity, o));
}

}  // namespace quillon
