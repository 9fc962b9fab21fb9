#include "device/addressing.h"
#include "device/dialogs.h"
#include "device/identification.h"
#include "device/parameter_access.h"
#include "device/write_lock.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/main_caption.h"

namespace quillon {

namespace {

constexpr std::uint8_t kWriteAddressCommand = 6;
constexpr std::uint8_t kWriteAddressCommandOld = 119;
constexpr int kAttempts = 5;
constexpr std::uint8_t kFlashErrorCode = 6;

constexpr const char* kProgressText = "Меняю короткий адрес. Попытка ";
constexpr const char* kNotWritten = "Не удалось записать новый короткий адрес!";
constexpr const char* kWritten = "Данные успешно записаны!";
constexpr const char* kFlashError = "Ошибка flash-памяти при записи!";
constexpr const char* kUnknownError = "Неизвестная ошибка при записи короткого адреса!";

// An answer too short to carry a response code counts as an unknown error.
std::uint8_t CodeOf(const ExchangeBuffer& b) { return AnswerHasStatus(b) ? ResponseCode(b) : kNoResponseCode; }

// The new address, or nothing when the user cancels.
std::optional<std::uint8_t> AskNewAddress(DeviceState& s) {
    ShortAddressDialog dialog;
    dialog.value = s.settings.shortAddress;
    for (;;) {
        if (!s.ui.show(dialog)) return std::nullopt;
        // The spin edit keeps to its range; anything else is not sent.
        if (dialog.value >= dialog.minimum && dialog.value <= dialog.maximum)
            return static_cast<std::uint8_t>(dialog.value);
    }
}

}  // namespace

Outcome WriteShortAddress(DeviceState& s, std::uint8_t address, const AskRepeatOnLock& askRepeat) {
    if (address > kHighestShortAddress)
        return InputRefusedOutcome("short address", "Адрес " + std::to_string(address) + " вне диапазона 0-15");
    // Command 6 is universal; 119 is this maker's own.
    const bool standard = isStandardCommandFamily(s.identity) || !isOwnMake(s.identity);
    for (;;) {
        if (standard)
            BuildLongRequest(s.buffer, kWriteAddressCommand, {address});
        else
            BuildShortRequest(s.buffer, kWriteAddressCommandOld, {address});
        const std::uint64_t sentBefore = s.requestsSent;
        const int exchange = RunAttemptLoop(s, kProgressText, kAttempts);
        if (exchange != ExchangeOk) {
            const Outcome o = ExchangeOutcome(s, exchange);
            return s.requestsSent != sentBefore ? WithUnknownEffect(o) : o;
        }
        const std::uint8_t code = CodeOf(s.buffer);
        if (code == 0) break;
        const Outcome refusal = RefusedOutcome(code);
        // The older command knows no write lock: its codes mean other things.
        if (standard && refusal.writeLocked() && askRepeat && askRepeat(refusal)) continue;
        return refusal;
    }
    s.settings.shortAddress = address;
    invalidateIdentity(s);
    s.identity.sensorIdKnown = false;
    return DoneOutcome();
}

Report ShortAddressReport(const DeviceIdentity& id, const Outcome& o) {
    switch (o.cause()) {
        case OutcomeKind::Done: return {InfoText(kWritten)};
        case OutcomeKind::Refused:
            if (!isStandardCommandFamily(id) && isOwnMake(id))
                return {ErrorText(o.responseCode == kFlashErrorCode ? kFlashError : kUnknownError)};
            // The write lock's text came with its question.
            if (o.writeLocked()) return {};
            return {ErrorText(ResponseCodeMessageText(o.responseCode),
                              MessageButtons::Yes)};
        case OutcomeKind::InputRefused: return {ErrorText(o.reason)};
        default: return {ErrorText(WithEffect(kNotWritten, o))};
    }
}

void ChangeShortAddrCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    const auto address = AskNewAddress(s);
    if (!address || *address == s.settings.shortAddress) return;
    const Outcome o = WriteShortAddress(s, *address, AskAfterLockText(s.ui));
    ShowReport(s.ui, ShortAddressReport(s.identity, o));
    if (o.done()) UpdateMainCaption(s);
}

}  // namespace quillon
