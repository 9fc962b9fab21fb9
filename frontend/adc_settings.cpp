#include "frontend/adc_settings.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "device/identification.h"
#include "device/number_entry.h"
#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "device/write_lock.h"
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

constexpr const char* kGainRefused = "Коэффициент усиления АЦП должен быть одним из 1, 2, 32, 128!";
constexpr const char* kPointsRefused = "Число точек усреднения должно быть в диапазоне 1-9!";
constexpr const char* kNotNumber = "Параметры преобразования должны быть числами!";
constexpr const char* kNoConversion = "В этой версии датчика нет преобразования Ток-Значение!";

std::optional<Outcome> RequireVelkor(const DeviceIdentity& id) {
    if (auto foreign = RequireOwnMake(id)) return foreign;
    if (!isVelkor(id)) return NotPossibleOutcome(kNotVelkor);
    return std::nullopt;
}


Outcome BadAnswer() {
    Outcome o = RefusedOutcome(kNoResponseCode);
    o.reason = kBadAnswer;
    return o;
}

// The failure text of a write: its own words, and what the device may hold.
Box WriteFailure(const char* text, const Outcome& o) { return ErrorText(WithEffect(text, o)); }

// Boxes of an outcome that is not the device's answer to this write.
std::optional<Report> CommonReport(const Outcome& o) {
    switch (o.cause()) {
        case OutcomeKind::InputRefused: return Report{ErrorText(o.reason)};
        case OutcomeKind::NotPossible: return Report{InfoText(o.reason)};
        // The write lock's text came with its question.
        case OutcomeKind::Refused:
            if (o.writeLocked()) return Report{};
            return std::nullopt;
        default: return std::nullopt;
    }
}

void PresetConversionDialog(const DeviceState& s, const CurrentToValueConversion& c, CurrentToValueDialog& dialog) {
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

bool InCurrentRange(float mA) { return mA >= kMinCurrent && mA <= kMaxCurrent; }

// The conversion the user confirmed, or nothing when the dialog was cancelled.
std::optional<CurrentToValueConversion> AskConversion(DeviceState& s, CurrentToValueDialog& dialog) {
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
        if (!InCurrentRange(*fields[0]) || !InCurrentRange(*fields[2])) {
            ErrorBox(s, kCurrentOutOfRange);
            continue;
        }
        return CurrentToValueConversion{static_cast<std::uint8_t>(dialog.useConversion ? 1 : 0), *fields[0],
                                        *fields[1], *fields[2], *fields[3]};
    }
}

// Each step: false when the whole command ends.

bool ConverterSettingsStep(DeviceState& s) {
    const Result<ConverterSettingsRead> read = ReadConverterSettings(s);
    ShowReport(s.ui, ConverterSettingsReadReport(read));
    if (!read.done()) return false;
    const VelkorConverterSettings settings = read.value.settings;

    VelkorAdcDialog dialog;
    dialog.gainIndex = settings.gainCode;
    // The spin edit holds 1..9 only; showing one value and sending another would mislead.
    dialog.averagingPoints = std::clamp<int>(settings.averagingPoints, kMinAveragingPoints, kMaxAveragingPoints);
    if (!s.ui.show(dialog)) return true;

    const auto gain = static_cast<std::uint8_t>(std::clamp(dialog.gainIndex, 0, 3));
    const auto points =
        static_cast<std::uint8_t>(std::clamp<int>(dialog.averagingPoints, kMinAveragingPoints, kMaxAveragingPoints));
    const Outcome o = WriteConverterSettings(s, {gain, points}, AskLockQuestion(s.ui));
    ShowReport(s.ui, ConverterSettingsWriteReport(o));
    return o.done() || o.cause() == OutcomeKind::Refused;
}

bool UnitCodeStep(DeviceState& s) {
    const Result<std::optional<std::uint8_t>> read = ReadUnitCode(s);
    ShowReport(s.ui, UnitCodeReadReport(read));
    if (!read.done()) return false;
    UnitsMeasureDialog dialog;
    dialog.unitCode = read.value.value_or(0);
    if (!s.ui.show(dialog)) return true;

    const Outcome o = WriteUnitCode(s, static_cast<std::uint8_t>(dialog.unitCode & 0xFF), AskLockQuestion(s.ui));
    ShowReport(s.ui, UnitCodeWriteReport(o));
    return o.done() || o.cause() == OutcomeKind::Refused;
}

void ConversionStep(DeviceState& s) {
    const Result<ConversionRead> read = ReadConversion(s);
    ShowReport(s.ui, ConversionReadReport(read));
    if (!read.done()) return;
    CurrentToValueDialog dialog;
    PresetConversionDialog(s, read.value.conversion, dialog);
    const std::optional<CurrentToValueConversion> typed = AskConversion(s, dialog);
    if (!typed) return;
    ShowReport(s.ui, ConversionWriteReport(WriteConversion(s, *typed, AskLockQuestion(s.ui))));
}

}  // namespace

Result<ConverterSettingsRead> ReadConverterSettings(DeviceState& s) {
    if (auto no = RequireVelkor(s.identity)) return {*no};
    BuildLongRequest(s.buffer, kReadConverterCommand, {0x00});
    const int exchange = RunReadPattern(s, kReadConverterText);
    if (exchange != ExchangeOk) return {ExchangeOutcome(s, exchange)};
    const std::optional<VelkorConverterSettings> read = ConverterSettingsFromAnswer(s.buffer);
    if (!read) return {BadAnswer()};
    if (ResponseCode(s.buffer) != 0) return {DoneOutcome(), {kDefaultConverterSettings, true}};
    return {DoneOutcome(), {*read, false}};
}

Report ConverterSettingsReadReport(const Result<ConverterSettingsRead>& r) {
    switch (r.outcome.cause()) {
        case OutcomeKind::Done: return r.value.defaults ? Report{InfoText(kConverterDefaults)} : Report{};
        case OutcomeKind::NotPossible: return {InfoText(r.outcome.reason)};
        case OutcomeKind::Refused: return {ErrorText(kBadAnswer)};
        default: return {ErrorText(kConverterNotRead)};
    }
}

Outcome WriteConverterSettings(DeviceState& s, const VelkorConverterSettings& settings,
                               const AskRepeatOnLock& askRepeat) {
    if (auto no = RequireVelkor(s.identity)) return *no;
    if (settings.gainCode > 3) return InputRefusedOutcome("gain", kGainRefused);
    if (settings.averagingPoints < kMinAveragingPoints || settings.averagingPoints > kMaxAveragingPoints)
        return InputRefusedOutcome("averaging points", kPointsRefused);
    return SendJudgedWrite(
        s,
        [&] {
            BuildLongRequest(s.buffer, kWriteConverterCommand, {0x00, settings.gainCode, settings.averagingPoints});
        },
        kWriteConverterText, askRepeat);
}

Report ConverterSettingsWriteReport(const Outcome& o) {
    if (auto common = CommonReport(o)) return *common;
    switch (o.cause()) {
        case OutcomeKind::Done: return {InfoText(kConverterWritten)};
        case OutcomeKind::Refused:
            switch (o.responseCode) {
                case 64: return {ErrorText(kConverterRefused)};
                case 6: return {ErrorText(kConverterWriteError)};
                default: return {ErrorText(kUnknownError)};
            }
        default: return {WriteFailure(kConverterNotWritten, o)};
    }
}

Result<std::optional<std::uint8_t>> ReadUnitCode(DeviceState& s) {
    if (auto no = RequireVelkor(s.identity)) return {*no};
    BuildReadParameterBlock(s, kUnitCodeIndex, 2);
    const int exchange = RunReadPattern(s, kReadUnitText);
    if (exchange != ExchangeOk) return {ExchangeOutcome(s, exchange)};
    return {DoneOutcome(), UnitCodeFromAnswer(s.buffer)};
}

Report UnitCodeReadReport(const Result<std::optional<std::uint8_t>>& r) {
    switch (r.outcome.cause()) {
        case OutcomeKind::Done: return r.value ? Report{} : Report{ErrorText(kUnitNotEntered)};
        case OutcomeKind::NotPossible: return {InfoText(r.outcome.reason)};
        default: return {ErrorText(kUnitNotRead)};
    }
}

Outcome WriteUnitCode(DeviceState& s, std::uint8_t code, const AskRepeatOnLock& askRepeat) {
    if (auto no = RequireVelkor(s.identity)) return *no;
    return SendJudgedWrite(s, [&] { BuildWriteParameterBlock(s, kUnitCodeIndex, &code, 1); }, kWriteUnitText, askRepeat);
}

Report UnitCodeWriteReport(const Outcome& o) {
    if (auto common = CommonReport(o)) return *common;
    switch (o.cause()) {
        case OutcomeKind::Done: return {InfoText(kUnitWritten)};
        case OutcomeKind::Refused: return {ErrorText(kUnitWriteError)};
        default: return {WriteFailure(kUnitNotWritten, o)};
    }
}

Result<ConversionRead> ReadConversion(DeviceState& s) {
    if (auto no = RequireVelkor(s.identity)) return {*no};
    if (s.identity.deviceRevision == 0) return {NotPossibleOutcome(kNoConversion)};
    BuildLongRequest(s.buffer, kReadConversionCommand);
    const int exchange = RunReadPattern(s, kReadConversionText);
    if (exchange != ExchangeOk) return {ExchangeOutcome(s, exchange)};
    if (AnswerByteCount(s.buffer) != kConversionAnswerByteCount) return {BadAnswer()};
    if (ResponseCode(s.buffer) != 0) return {DoneOutcome(), {CurrentToValueConversion{}, false}};
    return {DoneOutcome(), {UnpackConversion(&s.buffer.response[AnswerDataIndex(s.buffer)]), true}};
}

Report ConversionReadReport(const Result<ConversionRead>& r) {
    switch (r.outcome.cause()) {
        case OutcomeKind::Done: return r.value.used ? Report{} : Report{InfoText(kConversionUnused)};
        case OutcomeKind::NotPossible: return {InfoText(r.outcome.reason)};
        case OutcomeKind::Refused: return {ErrorText(kBadAnswer)};
        default: return {ErrorText(kConversionNotRead)};
    }
}

Outcome WriteConversion(DeviceState& s, const CurrentToValueConversion& c, const AskRepeatOnLock& askRepeat) {
    if (auto no = RequireVelkor(s.identity)) return *no;
    if (s.identity.deviceRevision == 0) return NotPossibleOutcome(kNoConversion);
    for (const float v : {c.current1, c.value1, c.current2, c.value2})
        if (!std::isfinite(v)) return InputRefusedOutcome("conversion", kNotNumber);
    if (!InCurrentRange(c.current1) || !InCurrentRange(c.current2))
        return InputRefusedOutcome("current", kCurrentOutOfRange);
    const ConversionBytes bytes = PackConversion(c);
    return SendJudgedWrite(
        s, [&] { BuildLongRequest(s.buffer, kWriteConversionCommand, bytes.data(), bytes.size()); },
        kWriteConversionText, askRepeat);
}

Report ConversionWriteReport(const Outcome& o) {
    if (auto common = CommonReport(o)) return *common;
    switch (o.cause()) {
        case OutcomeKind::Done: return {InfoText(kConversionWritten)};
        case OutcomeKind::Refused: return {ErrorText(kConversionRefused)};
        default: return {WriteFailure(kConversionNotWritten, o)};
    }
}

void AdcSettingsCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    if (auto no = RequireVelkor(s.identity)) {
        ShowReport(s.ui, {InfoText(no->reason)});
        return;
    }
    if (!ConverterSettingsStep(s)) return;
    if (!UnitCodeStep(s)) return;
    // Older firmware of the device has no conversion.
    if (s.identity.deviceRevision != 0) ConversionStep(s);
}

}  // namespace quillon
