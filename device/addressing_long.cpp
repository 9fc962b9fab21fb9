#include <array>

#include "device/addressing.h"
#include "device/dialogs.h"
#include "device/identification.h"
#include "device/parameter_access.h"
#include "device/polling_answer.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"

namespace quillon {

namespace {

using DeviceId = std::array<std::uint8_t, 3>;

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

bool Send(DeviceState& s, const char* progress, const char* failure) {
    if (RunAttemptLoop(s, progress, kNoAttemptLimit) == ExchangeOk) return true;
    s.ui.message(MessageIcon::Error, failure, MessageButtons::Ok);
    return false;
}

// Standard family: command 19, repeated while the user presses the device's
// button and asks again. False when no exchange succeeded.
bool WriteWithCommand19(DeviceState& s, const DeviceId& id) {
    for (;;) {
        BuildLongRequest(s.buffer, kWriteLongAddressCommand, id.data(), id.size());
        if (!Send(s, kWriteProgress, kNotWritten)) return false;
        if (!AnswerHasStatus(s.buffer)) {
            s.ui.message(MessageIcon::Error, ResponseCodeMessageText(0xFF), MessageButtons::Yes);
            return true;
        }
        const std::uint8_t code = ResponseCode(s.buffer);
        if (code == 0) {
            s.ui.message(MessageIcon::Information, kAccepted, MessageButtons::Ok);
            return true;
        }
        if (code == kWriteLockedCode) {
            if (s.ui.message(MessageIcon::Warning, kWriteProtectedQuestion, MessageButtons::YesNo) ==
                MessageAnswer::Yes)
                continue;
            return true;
        }
        // Code 16 is the same lock as 7 and gets the same chance to repeat.
        if (ShowResponseCode(s) && AskRepeatAfterProtection(s)) continue;
        return true;
    }
}

// Older firmware: stage the bytes in the parameter block, then ask the device
// to take them over. False when either exchange never succeeded.
bool WriteThroughParameterBlock(DeviceState& s, const DeviceId& id) {
    const std::uint16_t index = isRev3Hw1(s.identity) ? kLongAddressIndexRev3Hw1 : kLongAddressIndex;
    BuildWriteParameterBlock(s, index, id.data(), id.size());
    if (!Send(s, kWriteProgress, kNotWritten)) return false;
    if (!AnswerHasStatus(s.buffer) || ResponseCode(s.buffer) != 0)
        s.ui.message(MessageIcon::Error, kWriteFailed, MessageButtons::Ok);

    BuildConfirmParameterBlock(s, kConfirmLongAddress);
    if (!Send(s, kConfirmProgress, kNotConfirmed)) return false;
    const bool accepted = AnswerWithinReceived(s.buffer) && AnswerDataCount(s.buffer) >= 1 &&
                          s.buffer.response[AnswerDataIndex(s.buffer)] == 1;
    if (accepted)
        s.ui.message(MessageIcon::Information, kAccepted, MessageButtons::Ok);
    else
        s.ui.message(MessageIcon::Error, kRejected, MessageButtons::Ok);
    return true;
}

}  // namespace

void ChangeLongAddrCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    if (!supportsLongAddressChange(s.identity)) {
        s.ui.message(MessageIcon::Information, kNotAvailable, MessageButtons::Ok);
        return;
    }
    const auto id = AskDeviceId(s);
    if (!id) return;
    const bool reached =
        isStandardCommandFamily(s.identity) ? WriteWithCommand19(s, *id) : WriteThroughParameterBlock(s, *id);
    // The device may now answer under its new address only: identify again.
    if (reached) invalidateIdentity(s);
}

}  // namespace quillon
