#include "frontend/adc_settings.h"

#include <algorithm>
#include <optional>

#include "device/identification.h"
#include "device/number_entry.h"
#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "frontend/adc_wire.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kReadConverterCommand = 193;
constexpr std::uint8_t kWriteConverterCommand = 194;
constexpr std::uint8_t kReadConversionCommand = 195;
constexpr std::uint8_t kWriteConversionCommand = 196;
constexpr std::uint16_t kUnitCodeIndex = 109;
constexpr std::uint8_t kConversionAnswerByteCount = 19;
constexpr float kMinCurrent = 4.0f;
constexpr float kMaxCurrent = 20.0f;
// Not a response code a device sends: stands for an answer without status bytes.
constexpr int kNoStatus = -1;

constexpr const char* kNotVelkor =
    "В этой версии программы для верхнего уровня настройка параметров АЦП не предусмотрена!";
constexpr const char* kBadAnswer = "Ошибка в ответе!";

constexpr const char* kReadConverterText = "Узнаю параметры АЦП";
constexpr const char* kConverterNotRead = "Не удалось сосчитать параметры АЦП!";
constexpr const char* kConverterDefaults = "В датчике используются параметры по умолчанию!";
constexpr const char* kWriteConverterText = "Пишу параметры АЦП. Попытка ";
constexpr const char* kConverterNotWritten = "Не удалось записать параметры АЦП!";
constexpr const char* kConverterWritten = "Данные АЦП были успешно отправлены!";
constexpr const char* kConverterRefused = "Ошибка! Датчик не воспринял данные!";
constexpr const char* kConverterWriteError = "Ошибка записи параметров!";
constexpr const char* kUnknownError = "Неизвестная ошибка!";

constexpr const char* kReadUnitText = "Узнаю ед.измер.";
constexpr const char* kUnitNotRead = "Не удалось узнать код единиц измерения!";
constexpr const char* kUnitNotEntered = "В датчик не были введены единицы измерения!";
constexpr const char* kWriteUnitText = "Пишу единицы измерения. Попытка ";
constexpr const char* kUnitNotWritten = "Не удалось записать единицу измерения!";
constexpr const char* kUnitWriteError = "Произошла ошибка при записи единицы измерения!";
constexpr const char* kUnitWritten = "Данные успешно записаны!";

constexpr const char* kReadConversionText = "Узнаю параметры преобразования Ток-Значение";
constexpr const char* kConversionNotRead = "Не могу узнать параметры преобразования!";
constexpr const char* kConversionUnused = "В датчике не используется это преобразование!";
constexpr const char* kCurrentOutOfRange = "Значение тока должно быть в диапазоне [4-20]!";
constexpr const char* kWriteConversionText = "Пишу параметры преобразования. Попытка ";
constexpr const char* kConversionNotWritten = "Не удалось записать параметры преобразования!";
constexpr const char* kConversionRefused = "Ошибка записи! Датчик не воспринял данные!";
constexpr const char* kConversionWritten = "Параметры преобразования были успешно отправлены!";
// The imitated density meter reports a period, in microseconds.
constexpr const char* kPeriodUnit = "мкс";

// Each step: false when the whole command ends.

bool ConverterSettingsStep(AppState& s) {
    BuildLongRequest(s.buffer, kReadConverterCommand, {0x00});
    if (RunReadPattern(s, kReadConverterText) != ExchangeOk) {
        ErrorBox(s, kConverterNotRead);
        return false;
    }
    const std::optional<VelkorConverterSettings> read = ConverterSettingsFromAnswer(s.buffer);
    if (!read) {
        ErrorBox(s, kBadAnswer);
        return false;
    }
    VelkorConverterSettings settings = *read;
    if (ResponseCode(s.buffer) != 0) {
        InfoBox(s, kConverterDefaults);
        settings = kDefaultConverterSettings;
    }

    VelkorAdcDialog dialog;
    dialog.gainIndex = settings.gainCode;
    // The spin edit holds 1..9 only; showing one value and sending another would mislead.
    dialog.averagingPoints = std::clamp<int>(settings.averagingPoints, kMinAveragingPoints, kMaxAveragingPoints);
    if (!s.ui.show(dialog)) return true;

    const auto gain = static_cast<std::uint8_t>(std::clamp(dialog.gainIndex, 0, 3));
    const auto points =
        static_cast<std::uint8_t>(std::clamp<int>(dialog.averagingPoints, kMinAveragingPoints, kMaxAveragingPoints));
    BuildLongRequest(s.buffer, kWriteConverterCommand, {0x00, gain, points});
    if (RunWritePattern(s, kWriteConverterText) != ExchangeOk) {
        ErrorBox(s, kConverterNotWritten);
        return false;
    }
    // An answer without status bytes (byte count 0) confirms nothing.
    switch (AnswerHasStatus(s.buffer) ? ResponseCode(s.buffer) : kNoStatus) {
        case 0: InfoBox(s, kConverterWritten); break;
        case 64: ErrorBox(s, kConverterRefused); break;
        case 6: ErrorBox(s, kConverterWriteError); break;
        default: ErrorBox(s, kUnknownError); break;
    }
    return true;
}

bool UnitCodeStep(AppState& s) {
    BuildReadParameterBlock(s, kUnitCodeIndex, 2);
    if (RunReadPattern(s, kReadUnitText) != ExchangeOk) {
        ErrorBox(s, kUnitNotRead);
        return false;
    }
    UnitsMeasureDialog dialog;
    if (const std::optional<std::uint8_t> code = UnitCodeFromAnswer(s.buffer)) {
        dialog.unitCode = *code;
    } else {
        ErrorBox(s, kUnitNotEntered);
        dialog.unitCode = 0;
    }
    if (!s.ui.show(dialog)) return true;

    const auto code = static_cast<std::uint8_t>(dialog.unitCode & 0xFF);
    BuildWriteParameterBlock(s, kUnitCodeIndex, &code, 1);
    if (RunWritePattern(s, kWriteUnitText) != ExchangeOk) {
        ErrorBox(s, kUnitNotWritten);
        return false;
    }
    if (!AnswerHasStatus(s.buffer) || ResponseCode(s.buffer) != 0)
        ErrorBox(s, kUnitWriteError);
    else
        InfoBox(s, kUnitWritten);
    return true;
}

void PresetConversionDialog(const AppState& s, const CurrentToValueConversion& c, CurrentToValueDialog& dialog) {
    const char sep = s.decimalSeparator;
    dialog.useConversion = c.enabled != 0;
    dialog.current1 = FormatGeneral(c.current1, 7, sep);
    dialog.value1 = FormatGeneral(c.value1, 7, sep);
    dialog.current2 = FormatGeneral(c.current2, 7, sep);
    dialog.value2 = FormatGeneral(c.value2, 7, sep);
    if (isVelkor(s.identity)) {
        dialog.unitText = kPeriodUnit;
        dialog.unitLabelsVisible = true;
    }
}

// The conversion the user confirmed, or nothing when the dialog was cancelled.
std::optional<CurrentToValueConversion> AskConversion(AppState& s, CurrentToValueDialog& dialog) {
    for (;;) {
        if (!s.ui.show(dialog)) return std::nullopt;
        std::optional<float> fields[4];
        std::string* edits[4] = {&dialog.current1, &dialog.value1, &dialog.current2, &dialog.value2};
        bool converted = true;
        for (int i = 0; i < 4 && converted; ++i) {
            fields[i] = TakeSingleDecimalField(s, *edits[i]);
            converted = fields[i].has_value();
        }
        if (!converted) continue;
        const auto inRange = [](float mA) { return mA >= kMinCurrent && mA <= kMaxCurrent; };
        if (!inRange(*fields[0]) || !inRange(*fields[2])) {
            ErrorBox(s, kCurrentOutOfRange);
            continue;
        }
        return CurrentToValueConversion{static_cast<std::uint8_t>(dialog.useConversion ? 1 : 0), *fields[0],
                                        *fields[1], *fields[2], *fields[3]};
    }
}

void ConversionStep(AppState& s) {
    BuildLongRequest(s.buffer, kReadConversionCommand);
    if (RunReadPattern(s, kReadConversionText) != ExchangeOk) {
        ErrorBox(s, kConversionNotRead);
        return;
    }
    if (AnswerByteCount(s.buffer) != kConversionAnswerByteCount) {
        ErrorBox(s, kBadAnswer);
        return;
    }
    CurrentToValueConversion conversion;
    if (ResponseCode(s.buffer) != 0)
        InfoBox(s, kConversionUnused);
    else
        conversion = UnpackConversion(&s.buffer.response[AnswerDataIndex(s.buffer)]);

    CurrentToValueDialog dialog;
    PresetConversionDialog(s, conversion, dialog);
    const std::optional<CurrentToValueConversion> typed = AskConversion(s, dialog);
    if (!typed) return;

    const ConversionBytes bytes = PackConversion(*typed);
    BuildLongRequest(s.buffer, kWriteConversionCommand, bytes.data(), bytes.size());
    if (RunWritePattern(s, kWriteConversionText) != ExchangeOk)
        ErrorBox(s, kConversionNotWritten);
    else if (!AnswerHasStatus(s.buffer) || ResponseCode(s.buffer) != 0)
        ErrorBox(s, kConversionRefused);
    else
        InfoBox(s, kConversionWritten);
}

}  // namespace

void AdcSettingsCommand(AppState& s) {
    if (!ensureIdentified(s)) return;
    if (!isVelkor(s.identity)) {
        InfoBox(s, kNotVelkor);
        return;
    }
    if (!ConverterSettingsStep(s)) return;
    if (!UnitCodeStep(s)) return;
    // Older firmware of the device has no conversion.
    if (s.identity.deviceRevision != 0) ConversionStep(s);
}

}  // namespace quillon
