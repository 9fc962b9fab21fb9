#include "device/tag.h"

#include <algorithm>
#include <string_view>

#include "device/identification.h"
#include "device/polling_answer.h"
#include "link/attempt_loop.h"
#include "link/cp1251.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kReadTagCommand = 20;

constexpr const char* kProgress = "Читаю тег. Попытка: ";
constexpr const char* kNotRead = "Не удалось прочитать тег!";
constexpr const char* kAccessRestricted = "Ошибка \"Access Restricted\"!";
constexpr const char* kBusy = "Ошибка \"Busy\"!";
constexpr const char* kUnknownStatus = "Неизвестная ошибка в байте статуса!";
constexpr const char* kBadLength = "Ошибка в длине данных ответа!";

}  // namespace

std::string TagText(const std::uint8_t* data, std::size_t count) {
    count = std::min(count, kMaxTagBytes);
    const std::size_t length = static_cast<std::size_t>(std::find(data, data + count, 0) - data);
    return Cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(data), length));
}

void ReadingTagCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    BuildLongRequest(s.buffer, kReadTagCommand);
    if (RunAttemptLoop(s, kProgress, kNoAttemptLimit) != ExchangeOk) {
        ErrorBox(s, kNotRead);
        return;
    }
    // An answer without its status bytes, or one promising more than arrived,
    // has no tag that could be trusted.
    if (!AnswerWithinReceived(s.buffer) || AnswerByteCount(s.buffer) < 2) {
        ErrorBox(s, kBadLength);
        return;
    }
    switch (ResponseCode(s.buffer)) {
        case 0: break;
        case 16: ErrorBox(s, kAccessRestricted); return;
        case 32: ErrorBox(s, kBusy); return;
        default: ErrorBox(s, kUnknownStatus); return;
    }
    if (AnswerByteCount(s.buffer) <= 2) {
        ErrorBox(s, kBadLength);
        return;
    }
    const std::string text = TagText(s.buffer.response.data() + AnswerDataIndex(s.buffer), AnswerDataCount(s.buffer));
    s.ui.message(MessageIcon::Information, text, MessageButtons::Ok);
}

}  // namespace quillon
