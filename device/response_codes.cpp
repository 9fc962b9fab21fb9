#include "device/response_codes.h"

#include <cstdio>

namespace quillon {

namespace {

std::string Hex2(const char* prefix, unsigned value) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%02X; ", prefix, value & 0xFFu);
    return text;
}

}  // namespace

bool AnswerHasStatus(const ExchangeBuffer& b) { return AnswerWithinCount(b) && AnswerByteCount(b) >= 2; }

std::string ResponseCodeMessageText(std::uint8_t code) {
    switch (code) {
        case 0: return "Запрос успешно выполнен!";
        case 2: return "Ошибка! Плохой адрес!";
        case 5: return "Ошибка! Неправильная длина запроса!";
        case 7:
        case 16: return kWriteProtectedText;
        case 24: return "Ошибка! Ошибка записи в EEPROM-память!";
        case 64: return "Ошибка! Команда не задействована!";
        default: return "Неизвестная ошибка!";
    }
}

bool ShowResponseCode(DeviceState& s) {
    // An answer too short to carry a response code must not pass for a
    // success (nor for the lock) on whatever byte happens to sit there.
    if (!AnswerHasStatus(s.buffer)) {
        s.ui.message(MessageIcon::Error, "Неизвестная ошибка!", MessageButtons::Yes);
        return false;
    }
    const std::uint8_t code = ResponseCode(s.buffer);
    const MessageIcon icon = code == 0 ? MessageIcon::Information : MessageIcon::Error;
    s.ui.message(icon, ResponseCodeMessageText(code), MessageButtons::Yes);
    return code == 7 || code == 16;
}

bool AskRepeatAfterProtection(DeviceState& s) {
    return s.ui.message(MessageIcon::Warning, kRepeatQuestion, MessageButtons::YesNo) == MessageAnswer::Yes;
}

WriteVerdict JudgeWriteAnswer(DeviceState& s) {
    if (AnswerHasStatus(s.buffer)) {
        const std::uint8_t code = ResponseCode(s.buffer);
        if (code == 0) return WriteVerdict::Accepted;
        if (code == 7 || code == 16)
            return s.ui.message(MessageIcon::Warning, kWriteProtectedQuestion, MessageButtons::YesNo) ==
                           MessageAnswer::Yes
                       ? WriteVerdict::Repeat
                       : WriteVerdict::Refused;
    }
    ShowResponseCode(s);
    return WriteVerdict::Refused;
}

std::string LineErrorStatusText(int lineErrors) {
    std::string line;
    if (lineErrors & kLineParity) line += "Parity Error; ";
    if (lineErrors & kLineFraming) line += "Frame Error; ";
    if (lineErrors & kLineOverrun) line += "Overrun Error; ";
    return line;
}

std::string ResponseCodeStatusText(std::uint8_t code) {
    switch (code) {
        case 0: return {};
        case 6:
        case 24: return "Ошибка Flash-памяти; ";
        case 8: return "Неудача при обновлении; ";
        case 64: return "Команда не задействована; ";
        default: return Hex2("Resp.Code=0x", code);
    }
}

std::string WrongShapeStatusText(std::uint8_t code) {
    switch (code) {
        case 64: return "Нет измерений; ";
        case 8: return "Ошибка обновления; ";
        default: return "Не посчитано; ";
    }
}

std::string DeviceStatusText(std::uint8_t status) {
    std::string line;
    if (status & 0x08) line += "Ток фиксирован; ";
    if (status & 0x40) line += "Конфигурация изменена; ";
    const unsigned rest = status & ~0x48u & 0xFFu;
    if (rest != 0) line += Hex2("StatusByte=0x", rest);
    return line;
}

std::string ComposeStatusLine(int lineErrors, bool goodShape, std::uint8_t responseCode, std::uint8_t deviceStatus) {
    std::string line = LineErrorStatusText(lineErrors);
    if (line.empty()) {
        if (!goodShape) line += WrongShapeStatusText(responseCode);
        line += ResponseCodeStatusText(responseCode);
        line += DeviceStatusText(deviceStatus);
    }
    return line.empty() ? "OK!" : line;
}

}  // namespace quillon
