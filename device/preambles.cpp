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

// Learns the device's count from setting 22; false when the command must stop.
bool ReadCurrentCount(DeviceState& s) {
    const RawSettingRead r = ReadSettingLowByte(s, kPreambleSetting, kReadProgress);
    if (r.exchange != ExchangeOk) {
        ErrorBox(s, kReadStopped);
        return false;
    }
    if (r.hasStatus && (r.responseCode == 3 || r.responseCode == 4)) {
        ErrorBox(s, kNotSupported);
        return false;
    }
    if (r.lowByte) {
        s.identity.responsePreambles = *r.lowByte;
        return true;
    }
    // Code 1 (never entered), any other code, or a code 0 answer too short to
    // carry the value: the device's default is the best guess.
    ErrorBox(s, r.hasStatus && r.responseCode == 1 ? kNotEntered : kReadUnknown);
    s.identity.responsePreambles = kDefaultPreambles;
    return true;
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

void WriteWithCommand59(DeviceState& s, std::uint8_t count) {
    BuildLongRequest(s.buffer, kWritePreamblesCommand, {count});
    if (RunAttemptLoop(s, kWriteProgress, kNoAttemptLimit) != ExchangeOk) return;
    const int code = AnswerHasStatus(s.buffer) ? ResponseCode(s.buffer) : -1;
    switch (code) {
        case 0:
            s.ui.message(MessageIcon::Information, kParameterWritten, MessageButtons::Ok);
            s.identity.responsePreambles = count;
            return;
        case 24: ErrorBox(s, kNonVolatileError); return;
        case 7:
        case 16: ErrorBox(s, kWriteProtectedText); return;
        default: ErrorBox(s, kWriteUnknown); return;
    }
}

}  // namespace

void PreamblesCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    // The firmware families whose preamble count may be changed at all.
    if (!isStandardFamilyExcept7_10_13(s.identity)) {
        s.ui.message(MessageIcon::Information, kNotAllowed, MessageButtons::Ok);
        return;
    }
    if (s.identity.responsePreambles == 0) {
        invalidateIdentity(s);
        if (!ensureIdentified(s)) return;
    }
    const bool family = isPreambleFamily(s.identity);
    if (family && !ReadCurrentCount(s)) return;

    const auto count = AskCount(s);
    if (!count) return;
    const auto value = static_cast<std::uint8_t>(*count);
    if (!family) {
        WriteWithCommand59(s, value);
        return;
    }
    if (writeSetting(s, kPreambleSetting, value, kWriteCaption) == kSettingWritten)
        s.ui.message(MessageIcon::Information, kWritten, MessageButtons::Ok);
    else
        ErrorBox(s, kNotWritten);
}

}  // namespace quillon
