#include "calibration/calibration_write.h"
#include "device/hex_text.h"

#include <bit>
#include <vector>

#include "calibration/calibration_form.h"
#include "calibration/calibration_point_entry.h"
#include "calibration/finite_values.h"
#include "device/identification.h"
#include "device/number_entry.h"
#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "device/sensor_id.h"
#include "device/variant.h"
#include "device/measuring_channel.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kWriteCodeCommand = 115;
constexpr std::uint8_t kWritePairsCommand = 182;
constexpr std::uint8_t kWritePairsI2cCommand = 82;
constexpr std::uint8_t kCalibrationValiditySetting = 23;
constexpr std::uint8_t kCalibrationConfirmGroup = 3;

constexpr const char* kWriteFailed = "Не удалось записать калибровку!";
constexpr const char* kFlashError = "Ошибка записи во flash-память!";
constexpr const char* kUnknownDeviceError = "Неизвестная ошибка устройства!";
constexpr const char* kCancelQuestion = "Отменить запись калибровки?";
constexpr const char* kAccepted = "Данные были успешно отправлены и приняты к исполнению!";
// The code-point firmware spells this question with a space before the mark.
constexpr const char* kProtectedRepeatQuestion =
    "Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе "
    "датчика. Повторить попытку ?";

void PutLittle32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
std::uint32_t Bits(float f) { return std::bit_cast<std::uint32_t>(f); }

bool Ask(AppState& s, MessageIcon icon, const std::string& text) {
    return s.ui.message(icon, text, MessageButtons::YesNo) == MessageAnswer::Yes;
}

// Repeats the request in the buffer until the device answers. An abort by the
// user asks whether to give the write up; No goes on trying. False: given up.
bool ExchangeUntilAnswered(AppState& s, const std::string& action, const char* cancelQuestion) {
    for (;;) {
        const int result = ExchangeWithAttempts(s, action + ". Попытка ", kNoAttemptLimit);
        if (result == ExchangeOk) return true;
        if (result != ExchangeAborted) return false;  // a request that cannot be sent
        if (Ask(s, MessageIcon::Warning, cancelQuestion)) return false;
    }
}

// The status-only answer every command of the temperature-pair write gives.
bool StatusOnlyAnswer(const ExchangeBuffer& b) { return AnswerHasStatus(b) && AnswerByteCount(b) == 2; }

// One request of the temperature-pair write, with its questions. True: accepted.
bool WritePairsRequest(AppState& s, const std::string& action) {
    for (;;) {
        const int result = ExchangeWithAttempts(s, action + ". Попытка ", kNoAttemptLimit);
        if (result == ExchangeBadRequest) return false;
        if (result != ExchangeOk) {
            if (Ask(s, MessageIcon::Warning, kCancelQuestion)) return false;
            continue;
        }
        if (!StatusOnlyAnswer(s.buffer)) {
            if (Ask(s, MessageIcon::Warning, "Получена неправильная длина ответа. Повторить попытку?")) continue;
            return false;
        }
        const std::uint8_t code = ResponseCode(s.buffer);
        if (code == 0) return true;
        const char* question = code == 7
                                   ? "Запись запрещена. Возможно, нужно нажать кнопку на корпусе датчика. Повторить?"
                                   : "Произошла ошибка при записи. Повторить?";
        if (!Ask(s, MessageIcon::Warning, question)) return false;
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

// The isRev4 confirmation after a segment write.
void ConfirmSegments(AppState& s) {
    BuildConfirmParameterBlock(s, kCalibrationConfirmGroup);
    ProgressWindow window(s.ui);
    const int result = ExchangeWithAttempts(s, "Переопрос калибровки. Попытка ", kNoAttemptLimit);
    window.close();
    if (result != ExchangeOk) {
        ErrorBox(s, "Не удалось переопросить параметры калибровки!");
        return;
    }
    if (AnswerDataCount(s.buffer) >= 1 && s.buffer.response[AnswerDataIndex(s.buffer)] == 1)
        InfoBox(s, kAccepted);
    else
        ErrorBox(s, "Ошибка при перепроверке параметров! Данные не приняты к исполнению!");
}

std::string IdMismatchText(const std::array<std::uint8_t, 8>& device, const std::array<std::uint8_t, 8>& calibration) {
    return "Несовпадение серийных номеров сенсора! Попытка записать в датчик с ID= " + HexBytesText(device) +
           " калибровку от датчика с ID " + HexBytesText(calibration) + "!";
}

// The three guards that keep a calibration on the sensor it was made for.
bool SensorIdAllowsWrite(AppState& s) {
    const auto& id = s.identity;
    const auto& cal = s.calibration;
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
    if (refusal.empty()) return true;
    ErrorBox(s, refusal);
    return false;
}

// A 9-byte point record: reading, value (both least significant byte first), check byte.
void AppendPairRecord(std::vector<std::uint8_t>& out, const TemperaturePair& p) {
    const std::size_t start = out.size();
    PutLittle32(out, Bits(p.sensorReading));
    PutLittle32(out, Bits(p.value));
    out.push_back(XorCheck(out.data() + start, 8));
}

void WriteSensorIdOfCalibration(AppState& s, std::uint8_t command) {
    std::vector<std::uint8_t> data{3};
    data.insert(data.end(), s.identity.sensorId.begin(), s.identity.sensorId.end());
    data.push_back(IdCrc8(s.identity.sensorId.data(), s.identity.sensorId.size()));
    for (;;) {
        BuildLongRequest(s.buffer, command, data.data(), data.size());
        ProgressWindow window(s.ui);
        const int result = ExchangeWithAttempts(s, "Запись ID сенсора. Попытка ", kNoAttemptLimit);
        window.close();
        if (result == ExchangeBadRequest) return;
        if (result != ExchangeOk) {
            if (Ask(s, MessageIcon::Warning, "Отменить запись ID сенсора?")) return;
            continue;
        }
        if (!AnswerHasStatus(s.buffer) || ResponseCode(s.buffer) != 0)
            ErrorBox(s, "Ошибка при записи ID сенсора для которого сделана калибровка!");
        return;
    }
}

// A table no device should get; false after the message.
bool ListSendable(AppState& s, CalibrationList list) {
    const std::string problem = SendProblem(s.calibration, list);
    if (problem.empty()) return true;
    ErrorBox(s, problem);
    return false;
}

// The write-protection question of the calibration writes; true: send again.
bool RepeatAfterTheButton(AppState& s) {
    return s.ui.message(MessageIcon::Error, kProtectedRepeatQuestion, MessageButtons::YesNo) == MessageAnswer::Yes;
}

// Sends one point of a segment or code-point write until the device takes it:
// a locked device is asked about its button and the point sent again. False
// when the point was not taken; the reason was shown, unless the engineer
// stopped. `closeFirst` is the progress window the error box replaces.
bool SendCalibrationPoint(AppState& s, const std::vector<std::uint8_t>& data, int number,
                          std::uint8_t flashErrorCode, ProgressWindow* closeFirst) {
    for (;;) {
        BuildLongRequest(s.buffer, kWriteCodeCommand, data.data(), data.size());
        if (!ExchangeUntilAnswered(s, "Запись точки " + std::to_string(number), kCancelQuestion)) return false;
        const std::uint8_t code = AnswerHasStatus(s.buffer) ? ResponseCode(s.buffer) : 0xFF;
        if (code == 0) return true;
        if (code == 16 || code == 7) {
            if (RepeatAfterTheButton(s)) continue;
            return false;
        }
        if (closeFirst) closeFirst->close();
        ErrorBox(s, code == flashErrorCode ? kFlashError : kUnknownDeviceError);
        return false;
    }
}

}  // namespace

void SendCalibration(AppState& s, CalibrationList list, bool withExtraPoint) {
    if (!ensureIdentified(s)) return;
    const DeviceIdentity& id = s.identity;
    if (const std::string refusal = CalibrationRefusal(id); !refusal.empty()) {
        InfoBox(s, refusal);
        return;
    }
    const auto form = DeviceCalibrationForm(id);
    if (!form) return;
    if (*form != list) {
        ErrorBox(s, "Калибровка в форме «" + CalibrationFormName(list) +
                        "» не может быть записана в датчик, который хранит калибровку в форме «" +
                        CalibrationFormName(*form) + "». Калибровка не записана!");
        return;
    }
    // Refused here, before the channel or the sensor id is asked for; each
    // write checks again for its other callers.
    if (!ListSendable(s, list)) return;
    switch (list) {
        case CalibrationList::Segments: WriteSegments(s, withExtraPoint); break;
        case CalibrationList::CodePoints: WriteCodePoints(s); break;
        case CalibrationList::TemperaturePairs: WriteTemperaturePairs(s); break;
    }
}

void WriteSegments(AppState& s, bool withExtraPoint) {
    if (const std::size_t n = FirstNonFiniteSegment(s.calibration.segmentTable)) {
        ErrorBox(s, NonFiniteSendRefusal("отрезок " + std::to_string(n)));
        return;
    }
    if (const auto& points = s.calibration.codePoints; withExtraPoint && !points.empty() &&
                                                        FirstNonFiniteCodePoint({points.back()}) != 0) {
        ErrorBox(s, NonFiniteSendRefusal("точка " + std::to_string(points.size())));
        return;
    }
    if (!ensureIdentified(s)) return;
    if (!isNotRev10or13(s.identity)) {
        InfoBox(s, kCalibrationNotSupported);
        return;
    }
    if (!ListSendable(s, CalibrationList::Segments)) return;
    const auto& table = s.calibration.segmentTable;
    const int needed = s.identity.calibrationPointCount - 1;
    if (needed < 1 || static_cast<int>(table.size()) != needed) {
        // Part of a table would leave the rest of the device's old
        // characteristic behind the new points; a longer one was made for a
        // device with more points and would lose its end.
        ErrorBox(s, "Калибровка не подходит для этого датчика: нужно " + std::to_string(needed) +
                        " отрезков, а в ней " + std::to_string(table.size()) + ". Калибровка не записана!");
        return;
    }
    const bool aligned = IsAlignedKind(s.identity);
    bool written = true;
    {
        ProgressWindow window(s.ui);
        for (int i = 0; i < needed && written; ++i) {
            const CalibrationSegment seg = aligned ? AlignedSegment(table[i]) : table[i];
            std::vector<std::uint8_t> data{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(seg.startCode),
                                           static_cast<std::uint8_t>(seg.startCode >> 8),
                                           static_cast<std::uint8_t>(seg.startCode >> 16)};
            PutLittle32(data, Bits(seg.startValue));
            PutLittle32(data, Bits(seg.slope));
            written = SendCalibrationPoint(s, data, i + 1, 6, &window);
        }
    }
    if (!written) {
        ErrorBox(s, kWriteFailed);
        return;
    }
    WriteExtraPoint(s, withExtraPoint);
    if (isRev4(s.identity))
        ConfirmSegments(s);
    else
        InfoBox(s, kAccepted);
}

bool WriteExtraPoint(AppState& s, bool fromLastPoint) {
    if (!isRev3Hw1(s.identity)) return true;
    std::uint8_t record[7] = {};
    const auto& points = s.calibration.codePoints;
    if (fromLastPoint && !points.empty()) {
        const CodePoint& last = points.back();
        const std::uint32_t value = Bits(last.value);
        record[0] = static_cast<std::uint8_t>(last.code);
        record[1] = static_cast<std::uint8_t>(last.code >> 8);
        for (int i = 0; i < 4; ++i) record[2 + i] = static_cast<std::uint8_t>(value >> (8 * i));
        AppendXorCheck(record, sizeof record);
    }
    // The block write appends the check byte of what it is given; the empty
    // record is sent as it stands, zeros with a zero check byte.
    std::vector<std::uint8_t> data{static_cast<std::uint8_t>(kExtraPointBlock),
                                   static_cast<std::uint8_t>(kExtraPointBlock >> 8)};
    data.insert(data.end(), record, record + sizeof record);
    BuildLongRequest(s.buffer, 190, data.data(), data.size());
    ProgressWindow window(s.ui);
    const int result = ExchangeWithAttempts(s, "Пишу параметры ЦАП. Попытка ", kNoAttemptLimit);
    window.close();
    if (result != ExchangeOk) {
        ErrorBox(s, "Не удалось записать параметры ЦАП!");
        return false;
    }
    if (!AnswerHasStatus(s.buffer) || ResponseCode(s.buffer) != 0) {
        ErrorBox(s, "Произошла ошибка при записи параметров ЦАП!");
        return false;
    }
    return true;
}

void WriteCodePoints(AppState& s) {
    if (const std::size_t n = FirstNonFiniteCodePoint(s.calibration.codePoints)) {
        ErrorBox(s, NonFiniteSendRefusal("точка " + std::to_string(n)));
        return;
    }
    if (!ensureIdentified(s)) return;
    if (!AskMeasuringChannel(s)) return;
    if (!ListSendable(s, CalibrationList::CodePoints)) return;
    const auto& points = s.calibration.codePoints;
    const int n = static_cast<int>(points.size());
    const int slots = s.identity.calibrationPointCount;
    if (n > slots) {
        // The slots are counted down from the top: more points than slots has no slot to go to.
        ErrorBox(s, TooManyPointsForDevice(slots, static_cast<std::size_t>(n)));
        return;
    }
    const std::uint8_t channelBit = s.identity.selectedChannel == 1 ? 0x80 : 0x00;
    bool written = true;
    {
        ProgressWindow window(s.ui);
        for (int i = 0; i < n && written; ++i) {
            const CodePoint& p = points[static_cast<std::size_t>(n - 1 - i)];
            std::vector<std::uint8_t> data{static_cast<std::uint8_t>((slots - 1 - i) | channelBit),
                                           static_cast<std::uint8_t>(i == n - 1 ? 1 : 0),
                                           static_cast<std::uint8_t>(p.code >> 16),
                                           static_cast<std::uint8_t>(p.code >> 8), static_cast<std::uint8_t>(p.code)};
            PutBig32(data, Bits(p.value));
            written = SendCalibrationPoint(s, data, i + 1, 24, nullptr);
        }
    }
    if (!written) {
        ErrorBox(s, kWriteFailed);
        return;
    }
    if (ResetValueCorrection(s)) CheckCalibrationValid(s);
}

void WriteTemperaturePairs(AppState& s) {
    if (const std::size_t n = FirstNonFinitePair(s.calibration.temperaturePairs, s.calibration.readingsAreCodes)) {
        ErrorBox(s, NonFiniteSendRefusal("точка " + std::to_string(n)));
        return;
    }
    if (!ensureIdentified(s)) return;
    if (!AskMeasuringChannel(s)) return;
    if (!readSensorId(s)) return;
    if (!isNotRev10or13(s.identity)) {
        InfoBox(s, kCalibrationNotSupported);
        return;
    }
    if (!SensorIdAllowsWrite(s)) return;
    if (!ListSendable(s, CalibrationList::TemperaturePairs)) return;
    const auto& pairs = s.calibration.temperaturePairs;
    const int n = static_cast<int>(pairs.size());
    if (n > s.identity.calibrationPointCount) {
        ErrorBox(s, TooManyPointsForDevice(s.identity.calibrationPointCount, static_cast<std::size_t>(n)));
        return;
    }
    if (canWriteI2cSensorId(s.identity, true) && s.identity.selectedChannel == 1 && !writeSensorIdString(s)) return;

    const std::uint8_t command =
        s.identity.softwareRevision == 13 || isRev16I2cChannel(s.identity) ? kWritePairsI2cCommand : kWritePairsCommand;
    const std::uint8_t enabled = s.calibration.calibrationEnabled;
    const std::uint8_t count = static_cast<std::uint8_t>(n);
    const std::uint8_t headerCheck = static_cast<std::uint8_t>(0x4D ^ enabled ^ count);
    const bool inOneRequest = n < 9;
    {
        ProgressWindow window(s.ui);
        if (inOneRequest) {
            std::vector<std::uint8_t> data{0, enabled, count, headerCheck};
            for (const auto& p : pairs) AppendPairRecord(data, p);
            BuildLongRequest(s.buffer, command, data.data(), data.size());
            if (!WritePairsRequest(s, "Запись калибровки")) return;
        } else {
            std::vector<std::uint8_t> header{1, enabled, count, headerCheck};
            BuildLongRequest(s.buffer, command, header.data(), header.size());
            if (!WritePairsRequest(s, "Запись заголовка")) return;
            for (int i = 0; i < n; ++i) {
                std::vector<std::uint8_t> data{2, static_cast<std::uint8_t>(i)};
                AppendPairRecord(data, pairs[static_cast<std::size_t>(i)]);
                BuildLongRequest(s.buffer, command, data.data(), data.size());
                if (!WritePairsRequest(s, "Запись точки " + std::to_string(i + 1))) return;
            }
        }
    }
    if (s.identity.sensorIdKnown) WriteSensorIdOfCalibration(s, command);
    if (!ResetValueCorrection(s)) return;
    // The one-request form has no check to ask the device for, but a write
    // that went through says so all the same.
    if (inOneRequest)
        InfoBox(s, "Калибровка OK!");
    else
        CheckCalibrationValid(s);
}

bool ResetValueCorrection(AppState& s) {
    if (!hasValueCorrection(s.identity)) return true;
    const bool i2c = isRev16I2cChannel(s.identity);
    const std::uint8_t offset = i2c ? 34 : 15;
    const std::uint8_t factor = i2c ? 35 : 16;
    for (const auto& [number, value] : {std::pair{offset, 0.0f}, std::pair{factor, 1.0f}}) {
        if (writeSetting(s, number, Bits(value), "Запись параметра " + std::to_string(number)) != kSettingWritten) {
            ErrorBox(s, "Не удалось записать параметры!");
            ErrorBox(s, "Не удалось обнулить поправки!");
            return false;
        }
    }
    return true;
}

bool CheckCalibrationValid(AppState& s) {
    BuildLongRequest(s.buffer, 176, {kCalibrationValiditySetting});
    ProgressWindow window(s.ui);
    const int result = ExchangeWithAttempts(s, "Переопрос калибровки : Попытка ", kNoAttemptLimit);
    window.close();
    if (result != ExchangeOk) {
        ErrorBox(s, "Не удалось перепроверить калибровку !");
        return false;
    }
    if (!AnswerHasStatus(s.buffer) || ResponseCode(s.buffer) != 0) {
        ErrorBox(s, "Ошибка! Датчик не откалиброван");
        return false;
    }
    InfoBox(s, "Калибровка OK!");
    return true;
}

bool EditCalibrationPoint(AppState& s, int index) {
    auto& points = s.calibration.codePoints;
    if (index < 0 || static_cast<std::size_t>(index) >= points.size()) return false;
    // The point leaves the list while it is edited, so that the entry's own
    // checks (code range, direction) see the others only; a cancelled edit
    // puts the list back as it was.
    const std::vector<CodePoint> kept = points;
    const CodePoint point = kept[static_cast<std::size_t>(index)];
    points.erase(points.begin() + index);
    const int r = EnterCalibrationPointInto(s, std::to_string(point.code),
                                            FormatDecimals(point.value, 6, s.decimalSeparator), true,
                                            PointTarget::CodePoints);
    if (r == kPointAccepted) return true;
    points = kept;
    return false;
}

}  // namespace quillon
