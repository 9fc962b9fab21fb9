#include "device/settings_sequence.h"

#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kReadSettingCommand = 176;
constexpr const char* kUnknownReadError = "Неизвестная ошибка при чтении ";
constexpr const char* kUnsupported = "Данный параметр не поддерживается устройством!";
constexpr const char* kNotWritten = "Не удалось записать параметры!";
constexpr const char* kWritten = "Данные успешно записаны!";

}  // namespace

SequenceReadResult ReadSettingSequence(DeviceState& s, const std::vector<SequenceSetting>& settings,
                                       const std::string& stoppedText, bool refuseUnsupported) {
    SequenceReadResult out{SequenceRead::Complete, {}};
    for (const auto& setting : settings) out.values.push_back(setting.defaultValue);

    ProgressWindow window(s.ui);
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const SequenceSetting& setting = settings[i];
        BuildLongRequest(s.buffer, kReadSettingCommand, {setting.number});
        if (ExchangeWithAttempts(s, "Чтение параметра " + std::to_string(setting.number) + " : ", kNoAttemptLimit) !=
            ExchangeOk) {
            if (!stoppedText.empty()) ErrorBox(s, stoppedText);
            out.outcome = SequenceRead::Stopped;
            return out;
        }
        // An answer without status bytes or value is as unknown as an unknown code.
        const int code = AnswerHasStatus(s.buffer) ? ResponseCode(s.buffer) : -1;
        if (code == 1) {
            ErrorBox(s, setting.notEnteredText);
            continue;
        }
        if (refuseUnsupported && (code == 3 || code == 4)) {
            ErrorBox(s, kUnsupported);
            out.outcome = SequenceRead::Unsupported;
            return out;
        }
        if (code != 0 || AnswerDataCount(s.buffer) < 5) {
            ErrorBox(s, kUnknownReadError + setting.nameText);
            continue;
        }
        const std::size_t d = AnswerDataIndex(s.buffer);
        const auto& r = s.buffer.response;
        out.values[i] = (std::uint32_t{r[d + 1]} << 24) | (std::uint32_t{r[d + 2]} << 16) |
                        (std::uint32_t{r[d + 3]} << 8) | std::uint32_t{r[d + 4]};
    }
    return out;
}

bool WriteSettingSequence(DeviceState& s, const std::vector<std::pair<std::uint8_t, std::uint32_t>>& values) {
    for (const auto& [number, value] : values) {
        if (writeSetting(s, number, value, "Запись параметра " + std::to_string(number)) != kSettingWritten) {
            ErrorBox(s, kNotWritten);
            return false;
        }
    }
    InfoBox(s, kWritten);
    return true;
}

}  // namespace quillon
