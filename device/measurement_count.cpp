#include <optional>

#include "device/measurement_parameter_sets.h"
#include "device/measurement_parameters.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kReadCountCommand = 118;
constexpr std::uint8_t kWriteCountCommand = 117;
constexpr int kDefaultCount = 40;

constexpr const char* kUnavailable = "Эта функция недоступна для текущей версии датчика!";
constexpr const char* kReadFailed = "Не удалось сосчитать параметры измерений!";

bool CountAvailable(const DeviceIdentity& id) {
    if (id.densityMeter && (id.densityMeterKind == 1 || id.densityMeterKind == 2)) return false;
    if (id.softwareRevision == 3) return false;
    return hasMeasurementCount(id);
}

// The device's count, or nothing when the command ends.
std::optional<int> ReadCount(DeviceState& s) {
    BuildLongRequest(s.buffer, kReadCountCommand);
    if (RunReadPattern(s, "Узнаю параметры измерений") != ExchangeOk || !AnswerHasStatus(s.buffer)) {
        ErrorBox(s, kReadFailed);
        return std::nullopt;
    }
    if (ResponseCode(s.buffer) != 0) {
        InfoBox(s, "В датчике используются параметры по умолчанию!");
        return kDefaultCount;
    }
    if (AnswerDataCount(s.buffer) < 1) {
        ErrorBox(s, kReadFailed);
        return std::nullopt;
    }
    return s.buffer.response[AnswerDataIndex(s.buffer)];
}

}  // namespace

void EditMeasurementCount(DeviceState& s) {
    if (!CountAvailable(s.identity)) {
        ErrorBox(s, kUnavailable);
        return;
    }
    const std::optional<int> count = ReadCount(s);
    if (!count) return;

    ChangeMeasParamsDialog dialog;
    dialog.count = *count;
    do {
        if (!s.ui.show(dialog)) return;
    } while (dialog.count < kMinMeasurementCount || dialog.count > kMaxMeasurementCount);

    BuildLongRequest(s.buffer, kWriteCountCommand, {static_cast<std::uint8_t>(dialog.count), 1});
    if (RunWritePattern(s, "Пишу кол-во измерений. Попытка ") != ExchangeOk) {
        ErrorBox(s, "Не удалось записать количество измерений!");
        return;
    }
    const int code = AnswerHasStatus(s.buffer) ? ResponseCode(s.buffer) : -1;
    if (code == 6)
        ErrorBox(s, "Ошибка flash-памяти при записи!");
    else if (code != 0)
        ErrorBox(s, "Неизвестная ошибка записи!");
    else
        InfoBox(s, "Параметры были успешно записаны!");
}

}  // namespace quillon
