#include "calibration/calibration_read.h"
#include "device/hex_text.h"

#include <algorithm>
#include <bit>

#include "calibration/calibration_file.h"
#include "calibration/calibration_form.h"
#include "calibration/calibration_view.h"
#include "calibration/calibration_write.h"
#include "device/identification.h"
#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "device/sensor_id.h"
#include "device/variant.h"
#include "device/measuring_channel.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kReadPointCommand = 116;
constexpr std::uint8_t kReadPairsCommand = 181;
constexpr std::uint8_t kReadI2cPairsCommand = 81;
constexpr std::size_t kExtraPointBytes = 7;
constexpr std::size_t kPairRecordBytes = 9;
// Below this many points the whole temperature-pair calibration fits one answer.
constexpr int kSingleAnswerPointLimit = 9;

constexpr const char* kReadFailed = "Не удалось вычитать калибровку!";
constexpr const char* kNoCalibration = "Ошибка! Возможно датчик не содержит калибровки или калибровка повреждена!";
constexpr const char* kWrongPointNumber = "Ошибка номера точки калибровки!";
constexpr const char* kWrongPointLength = "Неправильная длина ответа при чтении точки калибровки!";

const std::uint8_t* AnswerData(const AppState& s) { return s.buffer.response.data() + AnswerDataIndex(s.buffer); }

std::uint32_t Le(const std::uint8_t* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

std::uint32_t Be(const std::uint8_t* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
    return v;
}

// One exchange of a read, repeated until it succeeds or the engineer stops it.
bool Ask(AppState& s, ProgressWindow& window, const std::string& text) {
    const int r = ExchangeWithAttempts(s, text + ". Попытка ", kNoAttemptLimit);
    if (r == ExchangeOk && AnswerHasStatus(s.buffer)) return true;
    window.close();
    return false;
}

// Reads the segment table; false after its messages.
bool ReadSegmentTable(AppState& s) {
    ProgressWindow window(s.ui);
    const int count = s.identity.calibrationPointCount;
    for (int i = 0; i + 1 < count; ++i) {
        BuildLongRequest(s.buffer, kReadPointCommand, {static_cast<std::uint8_t>(i)});
        if (!Ask(s, window, "Читаю точку " + std::to_string(i + 1))) return false;
        const std::uint8_t code = ResponseCode(s.buffer);
        const char* problem = nullptr;
        if (code == 6)
            problem = "Ошибка устройства! Либо устройство не откалибровано либо ошибка работы с flash-памятью!";
        else if (code != 0)
            problem = "Неизвестная ошибка устройства!";
        else if (AnswerDataCount(s.buffer) < 12)
            problem = kWrongPointLength;
        else if (AnswerData(s)[0] != i)
            problem = kWrongPointNumber;
        if (problem) {
            window.close();
            ErrorBox(s, problem);
            return false;
        }
        const std::uint8_t* d = AnswerData(s);
        s.calibration.segmentTable.push_back(
            {Le(d + 1, 3), std::bit_cast<float>(Le(d + 4, 4)), std::bit_cast<float>(Le(d + 8, 4))});
    }
    return true;
}

// The extra point of the devices that keep one; false when it could not be
// read at all. A device that refuses the block, or answers it short, has no
// extra point to give: the table read before it is still good.
bool ReadExtraPoint(AppState& s) {
    BuildReadParameterBlock(s, kExtraPointBlock, static_cast<std::uint8_t>(kExtraPointBytes));
    const int r = RunReadPattern(s, "Узнаю добавочную информацию");
    if (r != ExchangeOk) {
        ErrorBox(s, "Не удалось сосчитать дополнительную информацию!");
        return false;
    }
    const bool answered =
        AnswerHasStatus(s.buffer) && ResponseCode(s.buffer) == 0 && AnswerDataCount(s.buffer) >= kExtraPointBytes;
    const std::uint8_t* d = AnswerData(s);
    bool allZero = true;
    for (std::size_t i = 0; answered && i + 1 < kExtraPointBytes; ++i) allZero = allZero && d[i] == 0;
    if (!answered || allZero || !VerifyXorCheck(d, kExtraPointBytes)) {
        InfoBox(s, "В датчик не была введена добавочная информация!");
        return true;
    }
    s.calibration.extraPoint = {true, static_cast<std::uint16_t>(Le(d, 2)), std::bit_cast<float>(Le(d + 2, 4))};
    return true;
}

enum class PointsRead { Done, Failed };

PointsRead ReadCodePointSlots(AppState& s) {
    ProgressWindow window(s.ui);
    const int count = s.identity.calibrationPointCount;
    const std::uint8_t channelBit = s.identity.selectedChannel == 1 ? 0x80 : 0x00;
    for (int slot = count - 1; slot >= 0; --slot) {
        const auto requestByte = static_cast<std::uint8_t>((slot & 0x7F) | channelBit);
        BuildLongRequest(s.buffer, kReadPointCommand, {requestByte});
        if (!Ask(s, window, "Читаю точку " + std::to_string(slot + 1))) return PointsRead::Failed;
        const std::uint8_t code = ResponseCode(s.buffer);
        const char* problem = nullptr;
        if (code == 6)
            problem = "Ошибка работы с flash-памятью!";
        else if (code == 64)
            problem = kNoCalibration;
        else if (code != 0)
            problem = "Неизвестная ошибка устройства!";
        else if (AnswerDataCount(s.buffer) < 9)
            problem = kWrongPointLength;
        else if (AnswerData(s)[0] != requestByte)
            problem = kWrongPointNumber;
        if (problem) {
            window.close();
            ErrorBox(s, problem);
            return PointsRead::Failed;
        }
        const std::uint8_t* d = AnswerData(s);
        s.calibration.codePoints.push_back({Be(d + 2, 3), std::bit_cast<float>(Be(d + 5, 4)), 0.0f});
        const bool last = d[1] != 0;
        // The top slot holds the highest point; a calibration of one point is none.
        if (last) return slot == count - 1 ? PointsRead::Failed : PointsRead::Done;
    }
    return PointsRead::Failed;
}

std::uint8_t PairsCommand(const DeviceIdentity& id) {
    return id.softwareRevision == 13 || isRev16I2cChannel(id) ? kReadI2cPairsCommand : kReadPairsCommand;
}

TemperaturePair PairRecord(const std::uint8_t* r) {
    return {std::bit_cast<float>(Le(r + 4, 4)), std::bit_cast<float>(Le(r, 4))};
}

// The header's check and count; false after the message.
bool HeaderAccepted(AppState& s, const std::uint8_t* header, int& count) {
    if (!VerifyXorCheck(header, 3)) {
        ErrorBox(s, "Неправильная контрольная сумма при чтении заголовка калибровки!");
        return false;
    }
    count = header[1];
    if (count < 2 || count > s.identity.calibrationPointCount) {
        ErrorBox(s, "В калибровке содержится ошибочное количество точек!");
        return false;
    }
    return true;
}

// The whole calibration in one answer.
bool ReadPairsAtOnce(AppState& s, std::uint8_t command) {
    ProgressWindow window(s.ui);
    BuildLongRequest(s.buffer, command, {0});
    if (!Ask(s, window, "Читаю калибровку")) {
        ErrorBox(s, kReadFailed);
        return false;
    }
    window.close();
    switch (ResponseCode(s.buffer)) {
        case 0: break;
        case 13: ErrorBox(s, kNoCalibration); return false;
        case 64: ErrorBox(s, "Ошибка! Датчик не поддерживает данный запрос!"); return false;
        default: ErrorBox(s, "Ошибка!"); return false;
    }
    const std::uint8_t* d = AnswerData(s);
    const std::size_t available = AnswerDataCount(s.buffer);
    int count = 0;
    if (available < 3) {
        ErrorBox(s, kReadFailed);
        return false;
    }
    if (!HeaderAccepted(s, d, count)) return false;
    if (available < 3 + static_cast<std::size_t>(count) * kPairRecordBytes) {
        ErrorBox(s, kWrongPointLength);
        return false;
    }
    s.calibration.calibrationEnabled = d[0];
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* r = d + 3 + static_cast<std::size_t>(i) * kPairRecordBytes;
        if (!VerifyXorCheck(r, kPairRecordBytes)) {
            ErrorBox(s, "Ошибка КС точки калибровки!");
            ErrorBox(s, "Ошибка вычитанной калибровки!");
            return false;
        }
        s.calibration.temperaturePairs.push_back(PairRecord(r));
    }
    return true;
}

// The header, then each point in its own request.
bool ReadPairsOneByOne(AppState& s, std::uint8_t command) {
    const auto fail = [&](ProgressWindow& window, const char* problem) {
        window.close();
        if (problem) ErrorBox(s, problem);
        ErrorBox(s, kReadFailed);
        return false;
    };
    ProgressWindow window(s.ui);
    BuildLongRequest(s.buffer, command, {1});
    if (!Ask(s, window, "Читаю заголовок") || AnswerByteCount(s.buffer) != 5) return fail(window, nullptr);
    std::uint8_t header[3];
    std::copy(AnswerData(s), AnswerData(s) + 3, header);
    int count = 0;
    window.close();
    if (!HeaderAccepted(s, header, count)) return fail(window, nullptr);
    s.calibration.calibrationEnabled = header[0];
    ProgressWindow points(s.ui);
    for (int i = 0; i < count; ++i) {
        BuildLongRequest(s.buffer, command, {2, static_cast<std::uint8_t>(i)});
        if (!Ask(s, points, "Читаю точку " + std::to_string(i + 1))) return fail(points, nullptr);
        if (AnswerByteCount(s.buffer) != 11) return fail(points, kWrongPointLength);
        if (!VerifyXorCheck(AnswerData(s), kPairRecordBytes))
            return fail(points, "Неправильная контрольная сумма при чтении точки калибровки!");
        s.calibration.temperaturePairs.push_back(PairRecord(AnswerData(s)));
    }
    return true;
}

// The id of the sensor the calibration was made for; false ends the read.
bool ReadCalibrationSensorId(AppState& s, std::uint8_t command) {
    ProgressWindow window(s.ui);
    BuildLongRequest(s.buffer, command, {3});
    if (ExchangeWithAttempts(s, "Читаю ID калибровки. Попытка ", kNoAttemptLimit) != ExchangeOk) {
        window.close();
        ErrorBox(s, kReadFailed);
        return false;
    }
    window.close();
    const std::uint8_t code = AnswerHasStatus(s.buffer) ? ResponseCode(s.buffer) : 0xFF;
    if (AnswerByteCount(s.buffer) != 11 || (code != 0 && code != 3)) {
        ErrorBox(s, "Ошибка ответа на запрос чтения ID калибровки!");
        return false;
    }
    std::array<std::uint8_t, 8> id{};
    std::copy(AnswerData(s), AnswerData(s) + 8, id.begin());
    if (IdCrc8(id.data(), id.size()) != AnswerData(s)[8]) {
        ErrorBox(s, "Ошибка контрольной суммы ID калибровки!");
        return false;
    }
    CalibrationSet& set = s.calibration;
    set.calibrationSensorId = id;
    set.calibrationHasSensorId = true;
    if (s.identity.sensorIdKnown && s.identity.sensorId != id)
        ErrorBox(s, "Несовпадение серийных номеров сенсора и серийного номера калибровки! ID датчика= " +
                        HexBytesText(s.identity.sensorId) + ", а калибровка была сделана для сенсора с ID " + HexBytesText(id) +
                        "!");
    return true;
}

}  // namespace

void ReadSegments(AppState& s) {
    CalibrationSet& set = s.calibration;
    if (!ReadSegmentTable(s)) {
        set.segmentTable.clear();
        ErrorBox(s, kReadFailed);
        return;
    }
    if (isRev3Hw1(s.identity) && !ReadExtraPoint(s)) return;
    if (ShowCalibration(s, CalibrationList::Segments, true, false).action == kViewSave)
        SaveCalibrationFile(s, CalibrationList::Segments, "");
}

void ReadCodePoints(AppState& s) {
    if (!AskMeasuringChannel(s)) return;
    CalibrationSet& set = s.calibration;
    if (ReadCodePointSlots(s) == PointsRead::Failed) {
        set.codePoints.clear();
        ErrorBox(s, kReadFailed);
        return;
    }
    SortPointsByCode(set.codePoints);
    bool edited = false;
    for (;;) {
        SegmentsFromPoints(set, s.identity.calibrationPointCount);
        const ViewChoice choice = ShowCalibration(s, CalibrationList::CodePoints, true, edited);
        switch (choice.action) {
            case kViewSave: SaveCalibrationFile(s, CalibrationList::CodePoints, ""); break;
            case kViewEdit:
                if (EditCalibrationPoint(s, choice.selected)) edited = true;
                break;
            case kViewSend: SendCalibration(s, CalibrationList::CodePoints, false); break;
            default: return;
        }
    }
}

void ReadTemperaturePairs(AppState& s) {
    const std::uint8_t command = PairsCommand(s.identity);
    const bool read = s.identity.calibrationPointCount < kSingleAnswerPointLimit ? ReadPairsAtOnce(s, command)
                                                                                 : ReadPairsOneByOne(s, command);
    if (!read) return;
    SortPairsByValue(s.calibration.temperaturePairs);
    if (hasSensorId(s.identity) && !ReadCalibrationSensorId(s, command)) return;
    for (;;) {
        switch (ShowCalibration(s, CalibrationList::TemperaturePairs, true, true).action) {
            case kViewSave: SaveCalibrationFile(s, CalibrationList::TemperaturePairs, ""); break;
            case kViewSend: SendCalibration(s, CalibrationList::TemperaturePairs, false); break;
            default: return;
        }
    }
}

void ReadCalibration(AppState& s) {
    if (!ensureIdentified(s)) return;
    const DeviceIdentity& id = s.identity;
    if (const std::string refusal = CalibrationRefusal(id); !refusal.empty()) {
        InfoBox(s, refusal);
        return;
    }
    if (!AskMeasuringChannel(s) || !readSensorId(s)) return;
    CalibrationSet& set = s.calibration;
    set.clearLists();
    set.extraPoint = {};
    if (isRev14or16(id))
        ReadTemperaturePairs(s);
    else if (id.extendedCalibration)
        ReadCodePoints(s);
    else
        ReadSegments(s);
    set.segmentTable.clear();
    set.codePoints.clear();
}

}  // namespace quillon
