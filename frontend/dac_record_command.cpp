#include <algorithm>

#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "frontend/dac_dialogs.h"
#include "frontend/dac_record.h"
#include "frontend/dac_settings.h"
#include "frontend/output_fields.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kMillivoltDeviceType = 6;
constexpr std::uint8_t kRecheckDacRecord = 0;
constexpr const char* kFieldError = "Введены неправильные цифры!";

// The record in the device, or the defaults after a message.
DacRecordValues ReadRecord(AppState& s) {
    BuildReadParameterBlock(s, kDacRecordIndex, static_cast<std::uint8_t>(kDacRecordSize));
    if (RunReadPattern(s, "Узнаю параметры ЦАП") != ExchangeOk) {
        // The dialog still opens: with the defaults the engineer can set the
        // device up from scratch, which is what a failed read usually calls for.
        ErrorBox(s, "Не удалось сосчитать параметры ЦАП!");
        return DefaultDacRecord(s.identity);
    }
    DacMemoryRecord record{};
    const bool complete = AnswerDataCount(s.buffer) >= kDacRecordSize;
    if (complete) {
        const std::size_t d = AnswerDataIndex(s.buffer);
        std::copy_n(s.buffer.response.begin() + static_cast<std::ptrdiff_t>(d), kDacRecordSize, record.begin());
    }
    if (!complete || !VerifyXorCheck(record.data(), record.size())) {
        ErrorBox(s, "В датчик не были введены параметры работы ЦАП!");
        return DefaultDacRecord(s.identity);
    }
    return DecodeDacRecord(record);
}

bool EnterRecord(AppState& s, DacRecordDialog& d, DacRecordValues& out) {
    for (;;) {
        if (!s.ui.show(d)) return false;
        const auto offset = TakeWholeField(s, d.offset, kFieldError);
        if (!offset) continue;
        if (*offset < -16383 || *offset > 30000) {
            ErrorBox(s, "Смещение находится вне допустимого диапазона!");
            continue;
        }
        const auto slope = TakeSingleField(s, d.slope, kFieldError);
        if (!slope) continue;
        if (*slope < 0.0f) {
            ErrorBox(s, "Значение наклона должно быть положительным!");
            continue;
        }
        out = {*slope, static_cast<int>(*offset)};
        return true;
    }
}

void WriteRecord(AppState& s, const DacRecordValues& v) {
    const DacMemoryRecord record = EncodeDacRecord(v.slope, v.offset);
    BuildWriteParameterBlock(s, kDacRecordIndex, record.data(), kDacRecordSize - 1);
    if (RunWritePattern(s, "Пишу параметры ЦАП. Попытка ") != ExchangeOk) {
        ErrorBox(s, "Не удалось записать параметры ЦАП!");
        return;
    }
    // A refusal is reported, but only the re-check tells whether the device took the record.
    if (!AnswerHasStatus(s.buffer) || ResponseCode(s.buffer) != 0)
        ErrorBox(s, "Произошла ошибка при записи параметров ЦАП!");

    BuildConfirmParameterBlock(s, kRecheckDacRecord);
    if (RunWritePattern(s, "Переопрос параметров ЦАП. Попытка ") != ExchangeOk) {
        ErrorBox(s, "Не удалось переопросить параметры ЦАП!");
        return;
    }
    if (AnswerDataCount(s.buffer) >= 1 && s.buffer.response[AnswerDataIndex(s.buffer)] == 1)
        InfoBox(s, "Данные были успешно отправлены и приняты к исполнению!");
    else
        ErrorBox(s, "Ошибка при перепроверке параметров! Данные не приняты к исполнению!");
}

}  // namespace

void DacScalingByRecord(AppState& s) {
    const DacRecordValues current = ReadRecord(s);
    DacRecordDialog d;
    d.offset = std::to_string(current.offset);
    d.slope = SingleText(s, current.slope);
    if (s.identity.longAddress[1] == kMillivoltDeviceType) {
        d.slopeLabel = "Значение наклона DAC/мВ :";
        d.label3 = s.identity.deviceRevision != 0 ? "Для датчика (800-3200мВ) = 27.306(6) DAC/мВ"
                                                  : "Для датчика (0-3600мВ) = 18.204444";
    }
    DacRecordValues entered;
    if (!EnterRecord(s, d, entered)) return;
    WriteRecord(s, entered);
}

}  // namespace quillon
