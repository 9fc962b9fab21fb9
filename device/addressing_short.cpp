#include "device/addressing.h"
#include "device/dialogs.h"
#include "device/identification.h"
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
constexpr std::uint8_t kNoCode = 0xFF;

std::uint8_t CodeOf(const ExchangeBuffer& b) { return AnswerHasStatus(b) ? ResponseCode(b) : kNoCode; }

// The new address, or nothing when the user cancels.
std::optional<std::uint8_t> AskNewAddress(AppState& s) {
    ShortAddressDialog dialog;
    dialog.value = s.settings.shortAddress;
    for (;;) {
        if (!s.ui.show(dialog)) return std::nullopt;
        // The spin edit keeps to its range; anything else is not sent.
        if (dialog.value >= dialog.minimum && dialog.value <= dialog.maximum)
            return static_cast<std::uint8_t>(dialog.value);
    }
}

// Sends the change until it is accepted or abandoned; true when written.
bool WriteShortAddress(AppState& s, std::uint8_t address) {
    const bool standard = isStandardCommandFamily(s.identity);
    for (;;) {
        if (standard)
            BuildLongRequest(s.buffer, kWriteAddressCommand, {address});
        else
            BuildShortRequest(s.buffer, kWriteAddressCommandOld, {address});
        if (RunAttemptLoop(s, kProgressText, kAttempts) != ExchangeOk) {
            s.ui.message(MessageIcon::Error, kNotWritten, MessageButtons::Ok);
            return false;
        }
        const std::uint8_t code = CodeOf(s.buffer);
        if (code == 0) {
            s.ui.message(MessageIcon::Information, kWritten, MessageButtons::Ok);
            return true;
        }
        if (standard) {
            if (!AnswerHasStatus(s.buffer)) {
                s.ui.message(MessageIcon::Error, ResponseCodeMessageText(kNoCode), MessageButtons::Yes);
                return false;
            }
            if (ShowResponseCode(s) && AskRepeatAfterProtection(s)) continue;
            return false;
        }
        s.ui.message(MessageIcon::Error, code == kFlashErrorCode ? kFlashError : kUnknownError, MessageButtons::Ok);
        return false;
    }
}

}  // namespace

void ChangeShortAddrCommand(AppState& s) {
    if (!ensureIdentified(s)) return;
    const auto address = AskNewAddress(s);
    if (!address || *address == s.settings.shortAddress) return;
    if (!WriteShortAddress(s, *address)) return;
    s.settings.shortAddress = *address;
    invalidateIdentity(s);
    s.identity.sensorIdKnown = false;
    UpdateMainCaption(s);
}

}  // namespace quillon
