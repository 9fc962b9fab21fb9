#include <bit>

#include "device/measurement_parameters.h"
#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "device/settings_sequence.h"
#include "device/variant.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"

namespace quillon {

namespace {

constexpr std::uint8_t kMainPeriodSetting = 12;
constexpr std::uint8_t kFeedbackPeriodSetting = 13;
constexpr std::uint8_t kDampingSetting = 14;
constexpr std::uint8_t kAmbientPeriodSetting = 11;
constexpr std::uint8_t kAmbientCalibrationSetting = 4;
constexpr std::uint8_t kOutputQuantitySetting = 2;
constexpr std::uint8_t kShuntSetting = 8;
constexpr std::uint8_t kReadCountCommand = 118;
constexpr std::uint8_t kWriteCountCommand = 117;
constexpr int kDefaultCount = 40;
constexpr float kDefaultShunt = 0.001f;

constexpr const char* kNothingToEdit = "В этой версии датчика настройка параметров измерений не предусмотрена!";
constexpr const char* kUnavailable = "Эта функция недоступна для текущей версии датчика!";
constexpr const char* kReadStopped = "Не могу прочитать параметры измерений!";
constexpr const char* kCountReadFailed = "Не удалось сосчитать параметры измерений!";
constexpr const char* kCountDefault = "В датчике используются параметры по умолчанию!";
constexpr const char* kNegative = "Значение параметра не может быть отрицательным!";
constexpr const char* kDampingRange = "Величина демпфирования вне допустимого диапазона! ";
constexpr const char* kAmbientPeriodNegative = "Значение периода измерения Tокр не может быть отрицательным!";
constexpr const char* kAmbientCalibrationNegative = "Значение периода калибровки Tокр не может быть отрицательным!";
constexpr const char* kShuntNotPositive = "Сопротивление шунта должно быть больше нуля!";
constexpr const char* kCountRange = "Количество измерений вне диапазона 1-255!";

constexpr const char* kMainNotEntered = "Период калибровки основного канала не был введен!";
constexpr const char* kMainName = "периода калибровки основного канала !";
constexpr const char* kDampingNotEntered = "Количество точек демпфирования не было введено!";
constexpr const char* kDampingName = "количества точек демпфирования !";
constexpr const char* kFeedbackNotEntered = "Период калибровки канала обратной связи по току не был введен!";
constexpr const char* kFeedbackName = "периода калибровки канала обратной связи по току!";
constexpr const char* kAmbientNotEntered = "Период измерения канала Tокр.среды не был введен!";
constexpr const char* kAmbientName = "периода измерения канала Tокр.среды!";
constexpr const char* kAmbientCalibrationNotEntered = "Время калибровки канала Tокр.среды не было введено!";
constexpr const char* kAmbientCalibrationName = "времени калибровки канала Tокр.среды!";

bool CountAvailable(const DeviceIdentity& id) {
    if (id.densityMeter && (id.densityMeterKind == 1 || id.densityMeterKind == 2)) return false;
    if (id.softwareRevision == 3) return false;
    return hasMeasurementCount(id);
}

std::vector<SequenceSetting> SettingsOf(const DeviceIdentity& id, MeasurementSet set) {
    switch (set) {
        case MeasurementSet::A:
        case MeasurementSet::AI2c: {
            const bool rev14 = id.softwareRevision == 14;
            std::vector<SequenceSetting> settings;
            settings.push_back({kMainPeriodSetting, rev14 ? 900u : 3600u, kMainNotEntered, kMainName});
            if (set == MeasurementSet::A)
                settings.push_back({kDampingSetting, rev14 ? 9u : 5u, kDampingNotEntered, kDampingName});
            if (hasAmbientChannel(id))
                settings.push_back({kAmbientPeriodSetting, rev14 ? 60u : 600u, kAmbientNotEntered, kAmbientName});
            else
                settings.push_back({kFeedbackPeriodSetting, 5400u, kFeedbackNotEntered, kFeedbackName});
            return settings;
        }
        case MeasurementSet::B:
            return {{kDampingSetting, 25, kDampingNotEntered, kDampingName},
                    {kMainPeriodSetting, 900, kMainNotEntered, kMainName},
                    {kAmbientPeriodSetting, 5, kAmbientNotEntered, kAmbientName},
                    {kAmbientCalibrationSetting, 120, kAmbientCalibrationNotEntered, kAmbientCalibrationName}};
        case MeasurementSet::Cathodic:
            return {{kOutputQuantitySetting, 0, "Единицы выдачи значения не были введены!", "единицы выдачи значения !"},
                    {kShuntSetting, std::bit_cast<std::uint32_t>(kDefaultShunt), "Значение шунта не было введено!",
                     "значения шунта !"}};
        default: return {};
    }
}

std::uint32_t Bits(int value) { return static_cast<std::uint32_t>(value); }
int Integer(std::uint32_t value) { return static_cast<std::int32_t>(value); }

SettingValues ValuesOf(const DeviceIdentity& id, MeasurementSet set, const MeasurementParameters& p) {
    switch (set) {
        case MeasurementSet::A:
        case MeasurementSet::AI2c: {
            SettingValues values{{kMainPeriodSetting, Bits(p.mainPeriod)}};
            if (set == MeasurementSet::A && p.damping) values.emplace_back(kDampingSetting, Bits(*p.damping));
            values.emplace_back(hasAmbientChannel(id) ? kAmbientPeriodSetting : kFeedbackPeriodSetting,
                                Bits(p.thirdPeriod));
            return values;
        }
        case MeasurementSet::B:
            return {{kDampingSetting, Bits(p.damping.value_or(0))},
                    {kMainPeriodSetting, Bits(p.mainPeriod)},
                    {kAmbientPeriodSetting, Bits(p.thirdPeriod)},
                    {kAmbientCalibrationSetting, Bits(p.ambientCalibration)}};
        case MeasurementSet::Cathodic:
            return {{kOutputQuantitySetting, p.currentOutput ? 1u : 0u},
                    {kShuntSetting, std::bit_cast<std::uint32_t>(p.shunt)}};
        default: return {};
    }
}

bool DampingInRange(const DeviceIdentity& id, int value) { return value > 0 && value <= DampingLimit(id); }

// The refusal text of values the device must not get, or nothing.
const char* Refusal(const DeviceIdentity& id, MeasurementSet set, const MeasurementParameters& p) {
    switch (set) {
        case MeasurementSet::A:
        case MeasurementSet::AI2c:
            if (p.mainPeriod < 0 || p.thirdPeriod < 0) return kNegative;
            if (set == MeasurementSet::A && (!p.damping || !DampingInRange(id, *p.damping))) return kDampingRange;
            return nullptr;
        case MeasurementSet::B:
            if (p.mainPeriod < 0) return kNegative;
            if (!p.damping || !DampingInRange(id, *p.damping)) return kDampingRange;
            if (p.thirdPeriod < 0) return kAmbientPeriodNegative;
            if (p.ambientCalibration < 0) return kAmbientCalibrationNegative;
            return nullptr;
        case MeasurementSet::Cathodic:
            // A shunt of no resistance (or less) would turn every current into
            // an infinite or negative potential.
            if (p.currentOutput && !(p.shunt > 0.0f)) return kShuntNotPositive;
            return nullptr;
        case MeasurementSet::Count:
            if (p.measurementCount < kMinMeasurementCount || p.measurementCount > kMaxMeasurementCount)
                return kCountRange;
            return nullptr;
        default: return nullptr;
    }
}

std::optional<Outcome> NotPossibleFor(const DeviceIdentity& id, MeasurementSet set) {
    if (auto foreign = RequireOwnMake(id)) return foreign;
    if (set == MeasurementSet::None) return NotPossibleOutcome(kNothingToEdit);
    if (set == MeasurementSet::Count && !CountAvailable(id)) return NotPossibleOutcome(kUnavailable);
    return std::nullopt;
}

Result<MeasurementParameters> ReadCount(DeviceState& s, Report& notes) {
    BuildLongRequest(s.buffer, kReadCountCommand);
    const int exchange = RunReadPattern(s, "Узнаю параметры измерений");
    if (exchange != ExchangeOk) return {ExchangeOutcome(s, exchange)};
    if (!AnswerHasStatus(s.buffer)) return {RefusedOutcome(kNoResponseCode)};
    MeasurementParameters p;
    if (ResponseCode(s.buffer) != 0) {
        notes.push_back(InfoText(kCountDefault));
        p.measurementCount = kDefaultCount;
        return {DoneOutcome(), p};
    }
    if (AnswerDataCount(s.buffer) < 1) return {RefusedOutcome(kNoResponseCode)};
    p.measurementCount = s.buffer.response[AnswerDataIndex(s.buffer)];
    return {DoneOutcome(), p};
}

Outcome WriteCount(DeviceState& s, int count, const AskRepeatOnLock& askRepeat) {
    for (;;) {
        BuildLongRequest(s.buffer, kWriteCountCommand, {static_cast<std::uint8_t>(count), 1});
        const std::uint64_t sentBefore = s.requestsSent;
        const int exchange = RunWritePattern(s, "Пишу кол-во измерений. Попытка ");
        if (exchange != ExchangeOk) {
            const Outcome o = ExchangeOutcome(s, exchange);
            return s.requestsSent != sentBefore ? WithUnknownEffect(o) : o;
        }
        const std::uint8_t code = AnswerHasStatus(s.buffer) ? ResponseCode(s.buffer) : kNoResponseCode;
        if (code == 0) return DoneOutcome();
        const Outcome refusal = RefusedOutcome(code);
        if (refusal.writeLocked() && askRepeat && askRepeat(refusal)) continue;
        return refusal;
    }
}

}  // namespace

MeasurementSet MeasurementSetOf(const DeviceIdentity& id) {
    if (isRev16I2cChannel(id)) return MeasurementSet::AI2c;
    if (id.softwareRevision == 10 || id.softwareRevision == 13) return MeasurementSet::None;
    if (isRev15(id)) return MeasurementSet::B;
    if (isStandardFamilyExcept7_10_13(id)) return MeasurementSet::A;
    if (isRev7(id)) return MeasurementSet::Cathodic;
    return MeasurementSet::Count;
}

Result<MeasurementParameters> ReadMeasurementParameters(DeviceState& s, Report* notesOut) {
    Report scratch;
    Report& notes = notesOut ? *notesOut : scratch;
    const DeviceIdentity& id = s.identity;
    const MeasurementSet set = MeasurementSetOf(id);
    if (auto refused = NotPossibleFor(id, set)) return {*refused};
    if (set == MeasurementSet::Count) return ReadCount(s, notes);

    const Result<SequenceValues> read = ReadSettingValues(s, SettingsOf(id, set), set == MeasurementSet::Cathodic);
    notes.insert(notes.end(), read.value.notes.begin(), read.value.notes.end());
    if (!read.done()) return {read.outcome};
    const std::vector<std::uint32_t>& v = read.value.values;
    MeasurementParameters p;
    switch (set) {
        case MeasurementSet::A:
            p.mainPeriod = Integer(v[0]);
            p.damping = Integer(v[1]);
            p.thirdPeriod = Integer(v[2]);
            break;
        case MeasurementSet::AI2c:
            p.mainPeriod = Integer(v[0]);
            p.thirdPeriod = Integer(v[1]);
            break;
        case MeasurementSet::B:
            p.damping = Integer(v[0]);
            p.mainPeriod = Integer(v[1]);
            p.thirdPeriod = Integer(v[2]);
            p.ambientCalibration = Integer(v[3]);
            break;
        case MeasurementSet::Cathodic:
            p.currentOutput = v[0] != 0;
            p.shunt = std::bit_cast<float>(v[1]);
            break;
        default: break;
    }
    return {DoneOutcome(), p};
}

Report MeasurementReadReport(const DeviceIdentity& id, const Outcome& o) {
    const MeasurementSet set = MeasurementSetOf(id);
    switch (o.cause()) {
        case OutcomeKind::Done: return {};
        case OutcomeKind::NotPossible:
            // Set None is no failure: the device simply has nothing to edit.
            if (o.reason == kNothingToEdit) return {InfoText(o.reason)};
            return {ErrorText(o.reason)};
        default: break;
    }
    if (set == MeasurementSet::Count) return {ErrorText(kCountReadFailed)};
    // The cathodic sensor's read ends quietly when stopped: it answers for a
    // sensor, not a transmitter.
    return SequenceReadReport(o, set == MeasurementSet::Cathodic ? "" : kReadStopped);
}

Outcome WriteMeasurementParameters(DeviceState& s, const MeasurementParameters& p, const AskRepeatOnLock& askRepeat) {
    const DeviceIdentity& id = s.identity;
    const MeasurementSet set = MeasurementSetOf(id);
    if (auto refused = NotPossibleFor(id, set)) return *refused;
    if (const char* refusal = Refusal(id, set, p)) return InputRefusedOutcome("measurement parameters", refusal);
    if (set == MeasurementSet::Count) return WriteCount(s, p.measurementCount, askRepeat);
    return WriteSettingValues(s, ValuesOf(id, set, p), askRepeat);
}

Report MeasurementWriteReport(const DeviceIdentity& id, const MeasurementParameters& p, const Outcome& o) {
    const MeasurementSet set = MeasurementSetOf(id);
    if (o.cause() == OutcomeKind::InputRefused || o.cause() == OutcomeKind::NotPossible) return {ErrorText(o.reason)};
    if (set != MeasurementSet::Count) return SequenceWriteReport(ValuesOf(id, set, p), o);
    switch (o.cause()) {
        case OutcomeKind::Done: return {InfoText("Параметры были успешно записаны!")};
        case OutcomeKind::Refused:
            if (o.responseCode == 6) return {ErrorText("Ошибка flash-памяти при записи!")};
            // The write lock's text came with its question.
            if (o.writeLocked()) return {};
            return {ErrorText(WithEffect("Неизвестная ошибка записи!", o))};
        default: return {ErrorText(WithEffect("Не удалось записать количество измерений!", o))};
    }
}

}  // namespace quillon
