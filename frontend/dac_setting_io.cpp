#include "frontend/dac_setting_io.h"

#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kReadSettingCommand = 176;

// Judges the answer to a setting read: the value, or a message and the default.
void TakeSettingAnswer(AppState& s, DacSettingField& field) {
    const ExchangeBuffer& b = s.buffer;
    const bool hasStatus = AnswerHasStatus(b);
    const std::uint8_t code = hasStatus ? ResponseCode(b) : 0xFF;
    if (code == 1) {
        ErrorBox(s, field.notEnteredMessage);
        return;
    }
    if (code != 0 || AnswerDataCount(b) < 5) {
        ErrorBox(s, "Неизвестная ошибка при чтении " + field.otherCodeSuffix);
        return;
    }
    const std::size_t d = AnswerDataIndex(b);
    field.value = (std::uint32_t{b.response[d + 1]} << 24) | (std::uint32_t{b.response[d + 2]} << 16) |
                  (std::uint32_t{b.response[d + 3]} << 8) | std::uint32_t{b.response[d + 4]};
}

}  // namespace

bool ReadDacSettings(AppState& s, std::span<DacSettingField> fields) {
    ProgressWindow window(s.ui);
    for (DacSettingField& field : fields) {
        BuildLongRequest(s.buffer, kReadSettingCommand, {field.number});
        const int result =
            ExchangeWithAttempts(s, "Чтение параметра " + std::to_string(field.number) + " : ", kNoAttemptLimit);
        if (result != ExchangeOk) return false;
        TakeSettingAnswer(s, field);
    }
    return true;
}

bool WriteDacSettings(AppState& s, std::span<const DacSettingValue> values) {
    for (const DacSettingValue& v : values) {
        if (writeSetting(s, v.number, v.value, "Запись параметра " + std::to_string(v.number)) != kSettingWritten) {
            ErrorBox(s, "Не удалось записать параметры!");
            return false;
        }
    }
    InfoBox(s, "Данные успешно записаны!");
    return true;
}

}  // namespace quillon
