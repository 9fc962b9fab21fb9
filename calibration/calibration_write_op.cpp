#include "calibration/calibration_write_op.h"

#include <bit>
#include <cmath>
#include <vector>

#include "calibration/count_words.h"
#include "calibration/finite_values.h"
#include "device/hex_text.h"
#include "device/number_entry.h"
#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"

namespace quillon {

namespace {

constexpr std::uint8_t kWriteCodeCommand = 115;
constexpr std::uint8_t kWritePairsCommand = 182;
constexpr std::uint8_t kWritePairsI2cCommand = 82;
constexpr std::uint8_t kWriteBlockCommand = 190;
constexpr std::uint8_t kCalibrationValiditySetting = 23;
constexpr std::uint8_t kCalibrationConfirmGroup = 3;
constexpr std::size_t kExtraPointBytes = 7;
// Below this many points the whole temperature-pair calibration goes in one request.
constexpr std::size_t kSingleRequestPointLimit = 9;

void PutLittle32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
std::uint32_t Bits(float f) { return std::bit_cast<std::uint32_t>(f); }

std::uint8_t CodeOf(const ExchangeBuffer& b) { return AnswerHasStatus(b) ? ResponseCode(b) : kNoResponseCode; }

// What an exchange that did not go through leaves: unknown when the request went out.
Outcome Lost(const DeviceState& s, int exchange, std::uint64_t sentBefore) {
    const Outcome o = ExchangeOutcome(s, exchange);
    return s.requestsSent != sentBefore ? WithUnknownEffect(o) : o;
}

// The request in the buffer until the device answers it. A stop by the
// engineer asks whether to give the write up; a link that ended the wait
// itself (no port, a server gone) would only fail again, so it is not asked.
Outcome ExchangeUntilAnswered(DeviceState& s, const std::string& action, const std::function<bool()>& giveUp) {
    const std::uint64_t sentBefore = s.requestsSent;
    for (;;) {
        const int result = ExchangeWithAttempts(s, action + ". Попытка ", kNoAttemptLimit);
        if (result == ExchangeOk) return DoneOutcome();
        const Outcome o = Lost(s, result, sentBefore);
        if (o.cause() != OutcomeKind::Interrupted) return o;
        if (!giveUp || giveUp()) return o;
    }
}

// One point of a segment or code-point write, repeated on the write lock while `askRepeat` says so.
Outcome SendCodePoint(DeviceState& s, const std::vector<std::uint8_t>& data, int number,
                      const AskRepeatOnLock& askRepeat, const CalibrationWriteQuestions& q) {
    for (;;) {
        BuildLongRequest(s.buffer, kWriteCodeCommand, data.data(), data.size());
        const Outcome o = ExchangeUntilAnswered(s, "Запись точки " + std::to_string(number), q.giveUpAfterStop);
        if (!o.done()) return o;
        const std::uint8_t code = CodeOf(s.buffer);
        if (code == 0) return DoneOutcome();
        const Outcome refusal = RefusedOutcome(code);
        if (refusal.writeLocked() && askRepeat && askRepeat(refusal)) continue;
        return refusal;
    }
}

// The segment a device of the one aligned kind stores: its firmware can only
// start a segment on a multiple of 256, so the start moves to the nearest such
// code and the value follows the slope there.
CalibrationSegment AlignedSegment(CalibrationSegment seg) {
    const std::uint32_t c = seg.startCode & 0xFF;
    if (c == 0) return seg;
    seg.startCode &= ~std::uint32_t{0xFF};
    int d;
    if (c >= 128) {
        seg.startCode += 256;
        d = 256 - static_cast<int>(c);
    } else {
        d = -static_cast<int>(c);
    }
    seg.startValue += static_cast<float>(d) * seg.slope;
    return seg;
}

bool IsAlignedKind(const DeviceIdentity& id) {
    return id.longAddress[0] == 0x23 && id.longAddress[1] == 0x02 && id.longAddress[2] == 0x00 &&
           id.longAddress[3] == 0x08 && id.softwareRevision == 0;
}

// A step whose answer was lost may have been taken after all.
std::string MaybeTaken(const Outcome& stop, const std::string& what) {
    return stop.effect == DeviceEffect::Unknown ? " " + what + " мог быть записан." : std::string{};
}

std::string SegmentsLeft(int written, int total, const Outcome& stop) {
    const int old = total - written;
    return "В датчике " + std::to_string(written) + " " + NumberForm(written, "новый", "новых", "новых") + " и " +
           std::to_string(old) + " " + NumberForm(old, "прежний", "прежних", "прежних") + " " +
           NumberForm(old, "сегмент", "сегмента", "сегментов") + "." +
           MaybeTaken(stop, "Сегмент " + std::to_string(written + 1));
}

std::string CodePointsLeft(int written, const Outcome& stop) {
    return "В датчике " + CountText(written, "новая точка", "новые точки", "новых точек") +
           " кода без признака конца таблицы: датчик сочтёт калибровку повреждённой." +
           (stop.effect == DeviceEffect::Unknown ? " Точка " + std::to_string(written + 1) + " могла быть записана."
                                                 : std::string{});
}

std::string PairsLeft(int written, int total, const Outcome& stop) {
    return "В датчике заголовок калибровки на " + CountText(total, "точку", "точки", "точек") + ": " +
           CountText(written, "точка новая", "точки новые", "точек новые") + ", остальные " +
           std::to_string(total - written) + " обнулены, калибровка недействительна." +
           (stop.effect == DeviceEffect::Unknown ? " Точка " + std::to_string(written + 1) + " могла быть записана."
                                                 : std::string{});
}

// Steps after the points: what the device holds when one of them fails.
std::string AfterPoints(const CalibrationWriteSteps& steps, int points) {
    const std::string whole = steps.form == CalibrationList::Segments
                                  ? CountText(points, "новый сегмент", "новых сегмента", "новых сегментов")
                                  : CountText(points, "новая точка", "новые точки", "новых точек");
    if (steps.extraPoint && !steps.extraPoint->done())
        return "В датчике " + whole + ", добавочная точка " +
               (steps.extraPoint->effect == DeviceEffect::Unknown ? "могла быть записана." : "прежняя.");
    if (steps.confirmation && !steps.confirmation->done())
        return "В датчике " + whole + ", но датчик не подтвердил, что принял их к исполнению.";
    if (steps.sensorId && !steps.sensorId->done())
        return "В датчике " + whole + ", но ID сенсора калибровки не записан.";
    if (steps.correctionReset && !steps.correctionReset->done())
        return "В датчике " + whole + ", но поправки не обнулены: показания искажены прежней поправкой.";
    return "В датчике " + whole + ", но датчик не подтвердил калибровку.";
}

// Counts the steps of a write and keeps the first that failed as the write's outcome.
struct StepCount {
    int done = 0;
    int total = 0;
    std::optional<Outcome> firstFailure;
    int doneAtFailure = 0;

    void add(const Outcome& o) {
        if (o.done()) {
            if (!firstFailure) ++done;
            return;
        }
        if (!firstFailure) {
            firstFailure = o;
            doneAtFailure = done;
        }
    }
};

Outcome Overall(const StepCount& count, const CalibrationWriteSteps& steps, int points) {
    if (!count.firstFailure) return DoneOutcome();
    return PartialOutcome(*count.firstFailure, count.doneAtFailure, count.total, AfterPoints(steps, points));
}

std::optional<Outcome> CommonRefusal(const DeviceState& s) {
    if (auto foreign = RequireOwnMake(s.identity)) return foreign;
    if (!isNotRev10or13(s.identity)) return NotPossibleOutcome(kCalibrationNotSupported);
    return std::nullopt;
}

// The device's extra point (block 111): none when it keeps none or the block
// does not verify; an outcome when it could not be read at all.
Result<ExtraPoint> ReadHeldExtraPoint(DeviceState& s) {
    BuildReadParameterBlock(s, kExtraPointBlock, static_cast<std::uint8_t>(kExtraPointBytes));
    const int r = RunReadPattern(s, "Узнаю добавочную информацию");
    if (r != ExchangeOk) return {ExchangeOutcome(s, r), {}};
    if (!AnswerHasStatus(s.buffer) || ResponseCode(s.buffer) != 0 || AnswerDataCount(s.buffer) < kExtraPointBytes)
        return {DoneOutcome(), {}};
    const std::uint8_t* d = s.buffer.response.data() + AnswerDataIndex(s.buffer);
    bool allZero = true;
    for (std::size_t i = 0; i + 1 < kExtraPointBytes; ++i) allZero = allZero && d[i] == 0;
    if (allZero || !VerifyXorCheck(d, kExtraPointBytes)) return {DoneOutcome(), {}};
    const std::uint32_t value = std::uint32_t{d[2]} | (std::uint32_t{d[3]} << 8) | (std::uint32_t{d[4]} << 16) |
                                (std::uint32_t{d[5]} << 24);
    return {DoneOutcome(),
            {true, static_cast<std::uint16_t>(d[0] | (d[1] << 8)), std::bit_cast<float>(value)}};
}

// Block 111 as the write will send it: none (seven zeros) or a point.
std::array<std::uint8_t, kExtraPointBytes> ExtraPointRecord(const std::optional<ExtraPoint>& point) {
    std::array<std::uint8_t, kExtraPointBytes> record{};
    if (!point) return record;
    const std::uint32_t value = Bits(point->value);
    record[0] = static_cast<std::uint8_t>(point->code);
    record[1] = static_cast<std::uint8_t>(point->code >> 8);
    for (int i = 0; i < 4; ++i) record[static_cast<std::size_t>(2 + i)] = static_cast<std::uint8_t>(value >> (8 * i));
    AppendXorCheck(record.data(), record.size());
    return record;
}

Outcome WriteExtraPointBlock(DeviceState& s, const std::array<std::uint8_t, kExtraPointBytes>& record,
                             const AskRepeatOnLock& askRepeat) {
    // The block write appends the check byte of what it is given; the record
    // carries its own (zero for the empty one), so it is sent as it stands.
    std::vector<std::uint8_t> data{static_cast<std::uint8_t>(kExtraPointBlock),
                                   static_cast<std::uint8_t>(kExtraPointBlock >> 8)};
    data.insert(data.end(), record.begin(), record.end());
    for (;;) {
        BuildLongRequest(s.buffer, kWriteBlockCommand, data.data(), data.size());
        const std::uint64_t sentBefore = s.requestsSent;
        const int r = RunAttemptLoop(s, "Пишу параметры ЦАП. Попытка ", kNoAttemptLimit);
        if (r != ExchangeOk) return Lost(s, r, sentBefore);
        const std::uint8_t code = CodeOf(s.buffer);
        if (code == 0) return DoneOutcome();
        const Outcome refusal = RefusedOutcome(code);
        if (refusal.writeLocked() && askRepeat && askRepeat(refusal)) continue;
        return refusal;
    }
}

// The revision-4 re-check: Done when the device took the table; Refused
// (without a code) when it answered that it did not.
Outcome ConfirmSegments(DeviceState& s) {
    BuildConfirmParameterBlock(s, kCalibrationConfirmGroup);
    const int r = RunAttemptLoop(s, "Переопрос калибровки. Попытка ", kNoAttemptLimit);
    if (r != ExchangeOk) return ExchangeOutcome(s, r);
    if (AnswerDataCount(s.buffer) >= 1 && s.buffer.response[AnswerDataIndex(s.buffer)] == 1) return DoneOutcome();
    return RefusedOutcome(kNoResponseCode);
}

std::string IdMismatchText(const std::array<std::uint8_t, 8>& device, const std::array<std::uint8_t, 8>& calibration) {
    return "Несовпадение серийных номеров сенсора! Попытка записать в датчик с ID= " + HexBytesText(device) +
           " калибровку от датчика с ID " + HexBytesText(calibration) + "!";
}

// The three guards that keep a calibration on the sensor it was made for.
std::optional<Outcome> SensorIdRefusal(const DeviceIdentity& id, const CalibrationSet& cal) {
    std::string refusal;
    if (id.sensorIdKnown && !cal.calibrationHasSensorId)
        refusal =
            "Попытка записать в датчик с ID= " + HexBytesText(id.sensorId) + " калибровку от другого датчика без ID!";
    else if (id.sensorIdKnown && id.sensorId != cal.calibrationSensorId)
        refusal = IdMismatchText(id.sensorId, cal.calibrationSensorId);
    else if (!id.sensorIdKnown && cal.calibrationHasSensorId)
        refusal =
            "Попытка записать в датчик без сенсора с идентификатором калибровку от датчика с сенсором с "
            "идентификатором!";
    if (refusal.empty()) return std::nullopt;
    return InputRefusedOutcome("sensor id", refusal);
}

// A 9-byte point record: reading, value (both least significant byte first), check byte.
void AppendPairRecord(std::vector<std::uint8_t>& out, float reading, float value) {
    const std::size_t start = out.size();
    PutLittle32(out, Bits(reading));
    PutLittle32(out, Bits(value));
    out.push_back(XorCheck(out.data() + start, 8));
}

bool StatusOnlyAnswer(const ExchangeBuffer& b) { return AnswerHasStatus(b) && AnswerByteCount(b) == 2; }

// One request of the temperature-pair write, with its questions.
Outcome SendPairsRequest(DeviceState& s, const std::string& action, const AskRepeatOnLock& askRepeat,
                         const CalibrationWriteQuestions& q) {
    // The request stays in the buffer: a repeat sends it as it stands.
    for (;;) {
        const Outcome o = ExchangeUntilAnswered(s, action, q.giveUpAfterStop);
        if (!o.done()) return o;
        Outcome refusal;
        if (!StatusOnlyAnswer(s.buffer)) {
            refusal = RefusedOutcome(kNoResponseCode);
            refusal.reason = "Получена неправильная длина ответа.";
        } else if (ResponseCode(s.buffer) == 0) {
            return DoneOutcome();
        } else {
            refusal = RefusedOutcome(ResponseCode(s.buffer));
        }
        const bool again = refusal.writeLocked() ? askRepeat && askRepeat(refusal)
                                                 : q.repeatAfterError && q.repeatAfterError(refusal);
        if (!again) return refusal;
    }
}

Outcome WriteSensorIdOfCalibration(DeviceState& s, std::uint8_t command, const AskRepeatOnLock& askRepeat,
                                   const CalibrationWriteQuestions& q) {
    std::vector<std::uint8_t> data{3};
    data.insert(data.end(), s.identity.sensorId.begin(), s.identity.sensorId.end());
    data.push_back(IdCrc8(s.identity.sensorId.data(), s.identity.sensorId.size()));
    const std::uint64_t sentBefore = s.requestsSent;
    for (;;) {
        BuildLongRequest(s.buffer, command, data.data(), data.size());
        const int r = RunAttemptLoop(s, "Запись ID сенсора. Попытка ", kNoAttemptLimit);
        if (r != ExchangeOk) {
            const Outcome o = Lost(s, r, sentBefore);
            if (o.cause() != OutcomeKind::Interrupted || !q.skipSensorIdAfterStop || q.skipSensorIdAfterStop())
                return o;
            continue;
        }
        const std::uint8_t code = CodeOf(s.buffer);
        if (code == 0) return DoneOutcome();
        const Outcome refusal = RefusedOutcome(code);
        if (refusal.writeLocked() && askRepeat && askRepeat(refusal)) continue;
        return refusal;
    }
}

// The correction reset and, where the form has one, the device's check.
void FinishWrite(DeviceState& s, CalibrationWriteSteps& steps, StepCount& count, bool check,
                 const AskRepeatOnLock& askRepeat, const CalibrationWriteQuestions& q) {
    if (hasValueCorrection(s.identity)) {
        steps.correctionReset =
            ResetValueCorrectionOp(s, q.repeatSettingOnLock ? q.repeatSettingOnLock : askRepeat, &steps.correctionSetting);
        count.add(*steps.correctionReset);
        // The check would judge a calibration read through the old correction.
        if (!steps.correctionReset->done()) return;
    }
    if (!check) return;
    steps.validity = CheckCalibrationValidity(s);
    count.add(*steps.validity);
}

}  // namespace

std::optional<Outcome> NonFiniteRefusal(const CalibrationSet& cal, CalibrationList list, bool withExtraPoint) {
    std::string entry;
    switch (list) {
        case CalibrationList::Segments:
            if (const std::size_t n = FirstNonFiniteSegment(cal.segmentTable))
                entry = "отрезок " + std::to_string(n);
            else if (withExtraPoint && !cal.codePoints.empty() && FirstNonFiniteCodePoint({cal.codePoints.back()}) != 0)
                entry = "точка " + std::to_string(cal.codePoints.size());
            break;
        case CalibrationList::CodePoints:
            if (const std::size_t n = FirstNonFiniteCodePoint(cal.codePoints)) entry = "точка " + std::to_string(n);
            break;
        case CalibrationList::TemperaturePairs:
            if (const std::size_t n = FirstNonFinitePair(cal.temperaturePairs, cal.readingsAreCodes))
                entry = "точка " + std::to_string(n);
            break;
    }
    if (entry.empty()) return std::nullopt;
    return InputRefusedOutcome(entry, NonFiniteSendRefusal(entry));
}

std::optional<float> PairReadingOnTheWire(const CalibrationSet& cal, const TemperaturePair& pair) {
    if (!cal.readingsAreCodes) return pair.sensorReading;
    const std::int32_t code = std::bit_cast<std::int32_t>(pair.sensorReading);
    const float single = static_cast<float>(code);
    // Every code below 2^24 has its single; above it only some do.
    if (static_cast<double>(single) != static_cast<double>(code)) return std::nullopt;
    return single;
}

Outcome ResetValueCorrectionOp(DeviceState& s, const AskRepeatOnLock& askRepeat, std::uint8_t* failed) {
    if (!hasValueCorrection(s.identity)) return DoneOutcome();
    const bool i2c = isRev16I2cChannel(s.identity);
    const std::uint8_t offset = i2c ? 34 : 15;
    const std::uint8_t factor = i2c ? 35 : 16;
    for (const auto& [number, value] : {std::pair{offset, 0.0f}, std::pair{factor, 1.0f}}) {
        const Outcome o = WriteSetting(s, number, Bits(value), "Запись параметра " + std::to_string(number), askRepeat);
        if (!o.done()) {
            if (failed) *failed = number;
            return o;
        }
    }
    return DoneOutcome();
}

Outcome CheckCalibrationValidity(DeviceState& s) {
    BuildLongRequest(s.buffer, 176, {kCalibrationValiditySetting});
    const int r = RunAttemptLoop(s, "Переопрос калибровки : Попытка ", kNoAttemptLimit);
    if (r != ExchangeOk) return ExchangeOutcome(s, r);
    const std::uint8_t code = CodeOf(s.buffer);
    return code == 0 ? DoneOutcome() : RefusedOutcome(code);
}

CalibrationWriteResult WriteCalibrationSegments(DeviceState& s, const CalibrationSet& cal, bool withExtraPoint,
                                                const AskRepeatOnLock& askRepeat,
                                                const CalibrationWriteQuestions& q) {
    CalibrationWriteResult result;
    CalibrationWriteSteps& steps = result.value;
    steps.form = CalibrationList::Segments;
    const auto refuse = [&result](Outcome o) {
        result.outcome = std::move(o);
        return result;
    };
    if (auto r = CommonRefusal(s)) return refuse(*r);
    if (auto r = NonFiniteRefusal(cal, CalibrationList::Segments, withExtraPoint)) return refuse(*r);
    const auto& table = cal.segmentTable;
    const auto& points = cal.codePoints;
    const bool fromLastPoint = withExtraPoint && !points.empty();
    if (const std::string problem = SendProblem(cal, CalibrationList::Segments); !problem.empty())
        return refuse(InputRefusedOutcome("segments", problem));
    const int needed = s.identity.calibrationPointCount - 1;
    if (needed < 1 || static_cast<int>(table.size()) != needed)
        // Part of a table would leave the rest of the device's old
        // characteristic behind the new points; a longer one was made for a
        // device with more points and would lose its end.
        return refuse(InputRefusedOutcome("segments", "Калибровка не подходит для этого датчика: нужно " +
                                                          std::to_string(needed) + " отрезков, а в ней " +
                                                          std::to_string(table.size()) + ". Калибровка не записана!"));

    // Block 111 as the write leaves it. A calibration without an extra point
    // would clear the device's; that is asked before anything is written.
    const bool keepsExtraPoint = isRev3Hw1(s.identity);
    std::optional<ExtraPoint> extra;
    if (fromLastPoint) {
        extra = ExtraPoint{true, static_cast<std::uint16_t>(points.back().code), points.back().value};
    } else if (cal.extraPoint.present) {
        extra = cal.extraPoint;
    } else if (keepsExtraPoint) {
        const Result<ExtraPoint> held = ReadHeldExtraPoint(s);
        if (!held.done()) return refuse(held.outcome);
        if (held.value.present && !(q.clearExtraPoint && q.clearExtraPoint(held.value)))
            return refuse(InputRefusedOutcome(
                "extra point", "В датчике есть добавочная точка (Код: " + std::to_string(held.value.code) +
                                   " Тем-ра : " + FormatGeneral(held.value.value, 7, s.decimalSeparator) +
                                   "), а в калибровке её нет. Калибровка не записана!"));
    }

    StepCount count;
    count.total = needed + (keepsExtraPoint ? 1 : 0) + (isRev4(s.identity) ? 1 : 0);
    const bool aligned = IsAlignedKind(s.identity);
    {
        ProgressWindow window(s.ui);
        for (int i = 0; i < needed; ++i) {
            const CalibrationSegment seg = aligned ? AlignedSegment(table[static_cast<std::size_t>(i)])
                                                   : table[static_cast<std::size_t>(i)];
            std::vector<std::uint8_t> data{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(seg.startCode),
                                           static_cast<std::uint8_t>(seg.startCode >> 8),
                                           static_cast<std::uint8_t>(seg.startCode >> 16)};
            PutLittle32(data, Bits(seg.startValue));
            PutLittle32(data, Bits(seg.slope));
            const Outcome o = SendCodePoint(s, data, i + 1, askRepeat, q);
            if (!o.done()) {
                steps.points = o;
                result.outcome = PartialOutcome(o, i, count.total, SegmentsLeft(i, needed, o));
                return result;
            }
            ++count.done;
        }
    }
    steps.points = DoneOutcome();
    if (keepsExtraPoint) {
        steps.extraPoint = WriteExtraPointBlock(s, ExtraPointRecord(extra), askRepeat);
        count.add(*steps.extraPoint);
    }
    if (isRev4(s.identity)) {
        steps.confirmation = ConfirmSegments(s);
        count.add(*steps.confirmation);
    }
    result.outcome = Overall(count, steps, needed);
    return result;
}

CalibrationWriteResult WriteCalibrationCodePoints(DeviceState& s, const CalibrationSet& cal,
                                                  const AskRepeatOnLock& askRepeat,
                                                  const CalibrationWriteQuestions& q) {
    CalibrationWriteResult result;
    CalibrationWriteSteps& steps = result.value;
    steps.form = CalibrationList::CodePoints;
    const auto refuse = [&result](Outcome o) {
        result.outcome = std::move(o);
        return result;
    };
    if (auto foreign = RequireOwnMake(s.identity)) return refuse(*foreign);
    if (auto r = NonFiniteRefusal(cal, CalibrationList::CodePoints, false)) return refuse(*r);
    const auto& points = cal.codePoints;
    if (const std::string problem = SendProblem(cal, CalibrationList::CodePoints); !problem.empty())
        return refuse(InputRefusedOutcome("points", problem));
    const int n = static_cast<int>(points.size());
    const int slots = s.identity.calibrationPointCount;
    // The slots are counted down from the top: more points than slots have no slot to go to.
    if (n > slots)
        return refuse(InputRefusedOutcome("points", TooManyPointsForDevice(slots, static_cast<std::size_t>(n))));

    StepCount count;
    count.total = n + (hasValueCorrection(s.identity) ? 1 : 0) + 1;
    const std::uint8_t channelBit = s.identity.selectedChannel == 1 ? 0x80 : 0x00;
    {
        ProgressWindow window(s.ui);
        for (int i = 0; i < n; ++i) {
            const CodePoint& p = points[static_cast<std::size_t>(n - 1 - i)];
            std::vector<std::uint8_t> data{static_cast<std::uint8_t>((slots - 1 - i) | channelBit),
                                           static_cast<std::uint8_t>(i == n - 1 ? 1 : 0),
                                           static_cast<std::uint8_t>(p.code >> 16),
                                           static_cast<std::uint8_t>(p.code >> 8), static_cast<std::uint8_t>(p.code)};
            PutBig32(data, Bits(p.value));
            const Outcome o = SendCodePoint(s, data, i + 1, askRepeat, q);
            if (!o.done()) {
                steps.points = o;
                result.outcome = PartialOutcome(o, i, count.total, CodePointsLeft(i, o));
                return result;
            }
            ++count.done;
        }
    }
    steps.points = DoneOutcome();
    FinishWrite(s, steps, count, true, askRepeat, q);
    result.outcome = Overall(count, steps, n);
    return result;
}

CalibrationWriteResult WriteCalibrationPairs(DeviceState& s, const CalibrationSet& cal,
                                             const AskRepeatOnLock& askRepeat,
                                             const CalibrationWriteQuestions& q) {
    CalibrationWriteResult result;
    CalibrationWriteSteps& steps = result.value;
    steps.form = CalibrationList::TemperaturePairs;
    const auto refuse = [&result](Outcome o) {
        result.outcome = std::move(o);
        return result;
    };
    const auto& pairs = cal.temperaturePairs;
    if (auto r = CommonRefusal(s)) return refuse(*r);
    if (auto r = NonFiniteRefusal(cal, CalibrationList::TemperaturePairs, false)) return refuse(*r);
    if (auto r = SensorIdRefusal(s.identity, cal)) return refuse(*r);
    if (const std::string problem = SendProblem(cal, CalibrationList::TemperaturePairs); !problem.empty())
        return refuse(InputRefusedOutcome("points", problem));
    const int n = static_cast<int>(pairs.size());
    if (n > s.identity.calibrationPointCount)
        return refuse(InputRefusedOutcome(
            "points", TooManyPointsForDevice(s.identity.calibrationPointCount, static_cast<std::size_t>(n))));
    // The device reads a single where a file of integer codes has a code: the
    // code goes as its value, and one without an exact single not at all.
    std::vector<float> readings;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const std::optional<float> reading = PairReadingOnTheWire(cal, pairs[i]);
        if (!reading)
            return refuse(InputRefusedOutcome(
                "code", "Код АЦП " + std::to_string(std::bit_cast<std::int32_t>(pairs[i].sensorReading)) + " (точка " +
                            std::to_string(i + 1) +
                            ") нельзя передать в датчик без искажения: датчик хранит показание как число с "
                            "плавающей точкой. Калибровка не записана!"));
        readings.push_back(*reading);
    }
    if (canWriteI2cSensorId(s.identity, true) && s.identity.selectedChannel == 1 &&
        !(q.writeI2cSensorString && q.writeI2cSensorString()))
        return refuse(NotPossibleOutcome(kI2cStringNotWritten));

    const std::uint8_t command =
        s.identity.softwareRevision == 13 || isRev16I2cChannel(s.identity) ? kWritePairsI2cCommand : kWritePairsCommand;
    const std::uint8_t enabled = cal.calibrationEnabled;
    const std::uint8_t countByte = static_cast<std::uint8_t>(n);
    const std::uint8_t headerCheck = static_cast<std::uint8_t>(0x4D ^ enabled ^ countByte);
    steps.inOneRequest = pairs.size() < kSingleRequestPointLimit;
    StepCount count;
    count.total = (steps.inOneRequest ? 1 : 1 + n) + (s.identity.sensorIdKnown ? 1 : 0) +
                  (hasValueCorrection(s.identity) ? 1 : 0) + (steps.inOneRequest ? 0 : 1);
    {
        ProgressWindow window(s.ui);
        if (steps.inOneRequest) {
            std::vector<std::uint8_t> data{0, enabled, countByte, headerCheck};
            for (std::size_t i = 0; i < pairs.size(); ++i) AppendPairRecord(data, readings[i], pairs[i].value);
            BuildLongRequest(s.buffer, command, data.data(), data.size());
            const Outcome o = SendPairsRequest(s, "Запись калибровки", askRepeat, q);
            steps.points = o;
            if (!o.done()) {
                result.outcome = o;
                return result;
            }
            ++count.done;
        } else {
            const std::vector<std::uint8_t> header{1, enabled, countByte, headerCheck};
            BuildLongRequest(s.buffer, command, header.data(), header.size());
            Outcome o = SendPairsRequest(s, "Запись заголовка", askRepeat, q);
            if (o.done()) ++count.done;
            for (int i = 0; i < n && o.done(); ++i) {
                std::vector<std::uint8_t> data{2, static_cast<std::uint8_t>(i)};
                AppendPairRecord(data, readings[static_cast<std::size_t>(i)], pairs[static_cast<std::size_t>(i)].value);
                BuildLongRequest(s.buffer, command, data.data(), data.size());
                o = SendPairsRequest(s, "Запись точки " + std::to_string(i + 1), askRepeat, q);
                if (o.done()) ++count.done;
            }
            steps.points = o;
            if (!o.done()) {
                // The header has cleared the device's points: the ones not yet written are zeros.
                result.outcome = PartialOutcome(o, count.done, count.total, PairsLeft(count.done - 1, n, o));
                return result;
            }
        }
    }
    if (s.identity.sensorIdKnown) {
        steps.sensorId = WriteSensorIdOfCalibration(s, command, askRepeat, q);
        count.add(*steps.sensorId);
    }
    FinishWrite(s, steps, count, !steps.inOneRequest, askRepeat, q);
    result.outcome = Overall(count, steps, n);
    return result;
}

CalibrationWriteResult WriteCalibration(DeviceState& s, const CalibrationSet& cal, CalibrationList list,
                                        bool withExtraPoint, const AskRepeatOnLock& askRepeat,
                                        const CalibrationWriteQuestions& questions) {
    const auto form = DeviceCalibrationForm(s.identity);
    if (form && *form != list) {
        CalibrationWriteResult refused;
        refused.value.form = list;
        refused.outcome = InputRefusedOutcome(
            "form", "Калибровка в форме «" + CalibrationFormName(list) +
                        "» не может быть записана в датчик, который хранит калибровку в форме «" +
                        CalibrationFormName(*form) + "». Калибровка не записана!");
        return refused;
    }
    switch (list) {
        case CalibrationList::Segments: return WriteCalibrationSegments(s, cal, withExtraPoint, askRepeat, questions);
        case CalibrationList::CodePoints: return WriteCalibrationCodePoints(s, cal, askRepeat, questions);
        case CalibrationList::TemperaturePairs: return WriteCalibrationPairs(s, cal, askRepeat, questions);
    }
    return {};
}

}  // namespace quillon
