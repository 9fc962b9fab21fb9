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
// Why a read failed where engineers see only that it did.
constexpr const char* kOnePoint = "Калибровка датчика содержит одну точку.";
constexpr const char* kNoLastPoint = "В калибровке датчика нет признака последней точки.";
constexpr const char* kWrongHeaderLength = "Неправильная длина ответа при чтении заголовка калибровки.";


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

// Ends a read with its outcome and the texts engineers know for it.
struct Reader {
    DeviceState& s;
    CalibrationSet& cal;
    CalibrationReadResult& r;

    bool fail(Outcome o, std::initializer_list<const char*> texts) {
        r.outcome = std::move(o);
        for (const char* t : texts) r.value.failure.emplace_back(t);
        return false;
    }
    // An answer that is not what the request asks for.
    bool damaged(const char* problem, std::initializer_list<const char*> texts) {
        Outcome o = RefusedOutcome(kNoResponseCode);
        o.reason = problem;
        return fail(std::move(o), texts);
    }
    // One exchange, repeated until it succeeds or the engineer stops it; an
    // answer without a status is no answer to read from.
    bool exchange(const std::string& text, std::initializer_list<const char*> onFailure) {
        const int result = ExchangeWithAttempts(s, text + ". Попытка ", kNoAttemptLimit);
        if (result == ExchangeOk && AnswerHasStatus(s.buffer)) return true;
        if (result == ExchangeOk) return damaged("Ответ устройства не содержит кода ответа.", onFailure);
        return fail(ExchangeOutcome(s, result), onFailure);
    }
    const std::uint8_t* data() const { return s.buffer.response.data() + AnswerDataIndex(s.buffer); }
};

bool ReadSegmentTable(Reader& rd) {
    ProgressWindow window(rd.s.ui);
    const int count = rd.s.identity.calibrationPointCount;
    for (int i = 0; i + 1 < count; ++i) {
        BuildLongRequest(rd.s.buffer, kReadPointCommand, {static_cast<std::uint8_t>(i)});
        if (!rd.exchange("Читаю точку " + std::to_string(i + 1), {kReadFailed})) return false;
        const std::uint8_t code = ResponseCode(rd.s.buffer);
        if (code == 6)
            return rd.fail(RefusedOutcome(code),
                           {"Ошибка устройства! Либо устройство не откалибровано либо ошибка работы с flash-памятью!",
                            kReadFailed});
        if (code != 0) return rd.fail(RefusedOutcome(code), {"Неизвестная ошибка устройства!", kReadFailed});
        if (AnswerDataCount(rd.s.buffer) < 12) return rd.damaged(kWrongPointLength, {kWrongPointLength, kReadFailed});
        if (rd.data()[0] != i) return rd.damaged(kWrongPointNumber, {kWrongPointNumber, kReadFailed});
        const std::uint8_t* d = rd.data();
        rd.cal.segmentTable.push_back(
            {Le(d + 1, 3), std::bit_cast<float>(Le(d + 4, 4)), std::bit_cast<float>(Le(d + 8, 4))});
    }
    return true;
}

// The extra point of the devices that keep one; false when it could not be
// read at all. A device that refuses the block, or answers it short, has no
// extra point to give: the table read before it is still good.
bool ReadExtraPoint(Reader& rd) {
    DeviceState& s = rd.s;
    BuildReadParameterBlock(s, kExtraPointBlock, static_cast<std::uint8_t>(kExtraPointBytes));
    const int r = RunReadPattern(s, "Узнаю добавочную информацию");
    if (r != ExchangeOk) return rd.fail(ExchangeOutcome(s, r), {"Не удалось сосчитать дополнительную информацию!"});
    const bool answered =
        AnswerHasStatus(s.buffer) && ResponseCode(s.buffer) == 0 && AnswerDataCount(s.buffer) >= kExtraPointBytes;
    const std::uint8_t* d = rd.data();
    bool allZero = true;
    for (std::size_t i = 0; answered && i + 1 < kExtraPointBytes; ++i) allZero = allZero && d[i] == 0;
    if (!answered || allZero || !VerifyXorCheck(d, kExtraPointBytes)) {
        rd.r.value.noExtraPoint = true;
        return true;
    }
    rd.cal.extraPoint = {true, static_cast<std::uint16_t>(Le(d, 2)), std::bit_cast<float>(Le(d + 2, 4))};
    return true;
}

bool ReadCodePointSlots(Reader& rd) {
    ProgressWindow window(rd.s.ui);
    const int count = rd.s.identity.calibrationPointCount;
    const std::uint8_t channelBit = rd.s.identity.selectedChannel == 1 ? 0x80 : 0x00;
    for (int slot = count - 1; slot >= 0; --slot) {
        const auto requestByte = static_cast<std::uint8_t>((slot & 0x7F) | channelBit);
        BuildLongRequest(rd.s.buffer, kReadPointCommand, {requestByte});
        if (!rd.exchange("Читаю точку " + std::to_string(slot + 1), {kReadFailed})) return false;
        const std::uint8_t code = ResponseCode(rd.s.buffer);
        if (code == 6) return rd.fail(RefusedOutcome(code), {"Ошибка работы с flash-памятью!", kReadFailed});
        if (code == 64) return rd.fail(RefusedOutcome(code), {kNoCalibration, kReadFailed});
        if (code != 0) return rd.fail(RefusedOutcome(code), {"Неизвестная ошибка устройства!", kReadFailed});
        if (AnswerDataCount(rd.s.buffer) < 9) return rd.damaged(kWrongPointLength, {kWrongPointLength, kReadFailed});
        if (rd.data()[0] != requestByte) return rd.damaged(kWrongPointNumber, {kWrongPointNumber, kReadFailed});
        const std::uint8_t* d = rd.data();
        rd.cal.codePoints.push_back({Be(d + 2, 3), std::bit_cast<float>(Be(d + 5, 4)), 0.0f});
        // The top slot holds the highest point; a calibration of one point is none.
        if (d[1] != 0) return slot != count - 1 || rd.damaged(kOnePoint, {kReadFailed});
    }
    return rd.damaged(kNoLastPoint, {kReadFailed});
}

std::uint8_t PairsCommand(const DeviceIdentity& id) {
    return id.softwareRevision == 13 || isRev16I2cChannel(id) ? kReadI2cPairsCommand : kReadPairsCommand;
}

TemperaturePair PairRecord(const std::uint8_t* r) {
    return {std::bit_cast<float>(Le(r + 4, 4)), std::bit_cast<float>(Le(r, 4))};
}

// The header's check and count.
bool HeaderAccepted(Reader& rd, const std::uint8_t* header, int& count, bool thenReadFailed) {
    constexpr const char* kBadHeader = "Неправильная контрольная сумма при чтении заголовка калибровки!";
    constexpr const char* kBadCount = "В калибровке содержится ошибочное количество точек!";
    if (!VerifyXorCheck(header, 3))
        return thenReadFailed ? rd.damaged(kBadHeader, {kBadHeader, kReadFailed}) : rd.damaged(kBadHeader, {kBadHeader});
    count = header[1];
    if (count < 2 || count > rd.s.identity.calibrationPointCount)
        return thenReadFailed ? rd.damaged(kBadCount, {kBadCount, kReadFailed}) : rd.damaged(kBadCount, {kBadCount});
    return true;
}

// The whole calibration in one answer.
bool ReadPairsAtOnce(Reader& rd, std::uint8_t command) {
    {
        ProgressWindow window(rd.s.ui);
        BuildLongRequest(rd.s.buffer, command, {0});
        if (!rd.exchange("Читаю калибровку", {kReadFailed})) return false;
    }
    const std::uint8_t code = ResponseCode(rd.s.buffer);
    if (code == 13) return rd.fail(RefusedOutcome(code), {kNoCalibration});
    if (code == 64) return rd.fail(RefusedOutcome(code), {"Ошибка! Датчик не поддерживает данный запрос!"});
    if (code != 0) return rd.fail(RefusedOutcome(code), {"Ошибка!"});
    const std::uint8_t* d = rd.data();
    const std::size_t available = AnswerDataCount(rd.s.buffer);
    int count = 0;
    if (available < 3) return rd.damaged(kWrongPointLength, {kReadFailed});
    if (!HeaderAccepted(rd, d, count, false)) return false;
    if (available < 3 + static_cast<std::size_t>(count) * kPairRecordBytes)
        return rd.damaged(kWrongPointLength, {kWrongPointLength});
    rd.cal.calibrationEnabled = d[0];
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* r = d + 3 + static_cast<std::size_t>(i) * kPairRecordBytes;
        if (!VerifyXorCheck(r, kPairRecordBytes))
            return rd.damaged("Ошибка КС точки калибровки!",
                              {"Ошибка КС точки калибровки!", "Ошибка вычитанной калибровки!"});
        rd.cal.temperaturePairs.push_back(PairRecord(r));
    }
    return true;
}

// The header, then each point in its own request.
bool ReadPairsOneByOne(Reader& rd, std::uint8_t command) {
    std::uint8_t header[3];
    {
        ProgressWindow window(rd.s.ui);
        BuildLongRequest(rd.s.buffer, command, {1});
        if (!rd.exchange("Читаю заголовок", {kReadFailed})) return false;
        if (AnswerByteCount(rd.s.buffer) != 5) return rd.damaged(kWrongHeaderLength, {kReadFailed});
        std::copy(rd.data(), rd.data() + 3, header);
    }
    int count = 0;
    if (!HeaderAccepted(rd, header, count, true)) return false;
    rd.cal.calibrationEnabled = header[0];
    ProgressWindow points(rd.s.ui);
    for (int i = 0; i < count; ++i) {
        BuildLongRequest(rd.s.buffer, command, {2, static_cast<std::uint8_t>(i)});
        if (!rd.exchange("Читаю точку " + std::to_string(i + 1), {kReadFailed})) return false;
        if (AnswerByteCount(rd.s.buffer) != 11) return rd.damaged(kWrongPointLength, {kWrongPointLength, kReadFailed});
        if (!VerifyXorCheck(rd.data(), kPairRecordBytes)) {
            constexpr const char* kBadPoint = "Неправильная контрольная сумма при чтении точки калибровки!";
            return rd.damaged(kBadPoint, {kBadPoint, kReadFailed});
        }
        rd.cal.temperaturePairs.push_back(PairRecord(rd.data()));
    }
    return true;
}

// The id of the sensor the calibration was made for.
bool ReadCalibrationSensorId(Reader& rd, std::uint8_t command) {
    DeviceState& s = rd.s;
    {
        ProgressWindow window(s.ui);
        BuildLongRequest(s.buffer, command, {3});
        const int result = ExchangeWithAttempts(s, "Читаю ID калибровки. Попытка ", kNoAttemptLimit);
        if (result != ExchangeOk) return rd.fail(ExchangeOutcome(s, result), {kReadFailed});
    }
    const std::uint8_t code = AnswerHasStatus(s.buffer) ? ResponseCode(s.buffer) : kNoResponseCode;
    if (AnswerByteCount(s.buffer) != 11 || (code != 0 && code != 3)) {
        constexpr const char* kBadAnswer = "Ошибка ответа на запрос чтения ID калибровки!";
        if (code != 0 && code != 3 && code != kNoResponseCode) return rd.fail(RefusedOutcome(code), {kBadAnswer});
        return rd.damaged(kBadAnswer, {kBadAnswer});
    }
    std::array<std::uint8_t, 8> id{};
    std::copy(rd.data(), rd.data() + 8, id.begin());
    if (IdCrc8(id.data(), id.size()) != rd.data()[8]) {
        constexpr const char* kBadId = "Ошибка контрольной суммы ID калибровки!";
        return rd.damaged(kBadId, {kBadId});
    }
    rd.cal.calibrationSensorId = id;
    rd.cal.calibrationHasSensorId = true;
    rd.r.value.otherSensor = s.identity.sensorIdKnown && s.identity.sensorId != id;
    return true;
}

bool ReadForm(Reader& rd) {
    const DeviceIdentity& id = rd.s.identity;
    switch (rd.r.value.form) {
        case CalibrationList::Segments:
            if (!ReadSegmentTable(rd)) return false;
            return !isRev3Hw1(id) || ReadExtraPoint(rd);
        case CalibrationList::CodePoints:
            if (!ReadCodePointSlots(rd)) return false;
            SortPointsByCode(rd.cal.codePoints);
            return true;
        case CalibrationList::TemperaturePairs: {
            const std::uint8_t command = PairsCommand(id);
            const bool read = id.calibrationPointCount < kSingleAnswerPointLimit ? ReadPairsAtOnce(rd, command)
                                                                                 : ReadPairsOneByOne(rd, command);
            if (!read) return false;
            SortPairsByValue(rd.cal.temperaturePairs);
            return !hasSensorId(id) || ReadCalibrationSensorId(rd, command);
        }
    }
    return false;
}

}  // namespace

CalibrationReadResult ReadDeviceCalibration(DeviceState& s, CalibrationSet& cal) {
    CalibrationReadResult r;
    const auto form = DeviceCalibrationForm(s.identity);
    r.value.form = form.value_or(CalibrationList::Segments);
    if (auto foreign = RequireOwnMake(s.identity)) {
        r.outcome = *foreign;
        return r;
    }
    if (!form) {
        r.outcome = NotPossibleOutcome("Устройство не опознано.");
        return r;
    }
    if (const std::string refusal = CalibrationRefusal(s.identity); !refusal.empty()) {
        r.outcome = NotPossibleOutcome(refusal);
        return r;
    }
    cal.clearLists();
    cal.extraPoint = {};
    Reader rd{s, cal, r};
    if (!ReadForm(rd)) {
        // Half a table or a list of points is no calibration; a partly read
        // list of pairs stays until the next command clears it.
        cal.segmentTable.clear();
        cal.codePoints.clear();
        return r;
    }
    r.outcome = DoneOutcome();
    return r;
}

Report CalibrationReadReport(const DeviceIdentity& id, const CalibrationSet& cal, const CalibrationReadResult& r) {
    Report out;
    if (!r.done()) {
        switch (r.outcome.cause()) {
            case OutcomeKind::NotPossible:
                // The devices whose calibration this tool does not handle have always been told so as a notice.
                if (r.outcome.reason == CalibrationRefusal(id)) return {InfoText(r.outcome.reason)};
                return {ErrorText(r.outcome.reason)};
            default:
                for (const std::string& text : r.value.failure) out.push_back(ErrorText(text));
                return out;
        }
    }
    if (r.value.noExtraPoint) out.push_back(InfoText("В датчик не была введена добавочная информация!"));
    if (r.value.otherSensor)
        out.push_back(ErrorText("Несовпадение серийных номеров сенсора и серийного номера калибровки! ID датчика= " +
                                HexBytesText(id.sensorId) + ", а калибровка была сделана для сенсора с ID " +
                                HexBytesText(cal.calibrationSensorId) + "!"));
    return out;
}

namespace {

// The read with its report; true when there is a calibration to show.
bool ReadAndReport(DeviceState& s, CalibrationSet& cal) {
    const CalibrationReadResult r = ReadDeviceCalibration(s, cal);
    ShowReport(s.ui, CalibrationReadReport(s.identity, cal, r));
    return r.done();
}

}  // namespace

void ReadSegments(DeviceState& s, CalibrationSet& cal) {
    if (!ReadAndReport(s, cal)) return;
    if (ShowCalibration(s, cal, CalibrationList::Segments, true, false).action == kViewSave)
        SaveCalibrationFile(s, cal, CalibrationList::Segments, "");
}

void ReadCodePoints(DeviceState& s, CalibrationSet& cal) {
    if (!AskMeasuringChannel(s)) return;
    if (!ReadAndReport(s, cal)) return;
    bool edited = false;
    for (;;) {
        SegmentsFromPoints(cal, s.identity.calibrationPointCount);
        const ViewChoice choice = ShowCalibration(s, cal, CalibrationList::CodePoints, true, edited);
        switch (choice.action) {
            case kViewSave: SaveCalibrationFile(s, cal, CalibrationList::CodePoints, ""); break;
            case kViewEdit:
                if (EditCalibrationPoint(s, cal, choice.selected)) edited = true;
                break;
            case kViewSend: SendCalibration(s, cal, CalibrationList::CodePoints, false); break;
            default: return;
        }
    }
}

void ReadTemperaturePairs(DeviceState& s, CalibrationSet& cal) {
    if (!ReadAndReport(s, cal)) return;
    for (;;) {
        switch (ShowCalibration(s, cal, CalibrationList::TemperaturePairs, true, true).action) {
            case kViewSave: SaveCalibrationFile(s, cal, CalibrationList::TemperaturePairs, ""); break;
            case kViewSend: SendCalibration(s, cal, CalibrationList::TemperaturePairs, false); break;
            default: return;
        }
    }
}

void ReadCalibration(DeviceState& s, CalibrationSet& cal) {
    if (!ensureIdentified(s)) return;
    const DeviceIdentity& id = s.identity;
    if (const std::string refusal = CalibrationRefusal(id); !refusal.empty()) {
        InfoBox(s, refusal);
        return;
    }
    if (!AskMeasuringChannel(s) || !readSensorId(s)) return;
    cal.clearLists();
    cal.extraPoint = {};
    switch (DeviceCalibrationForm(id).value_or(CalibrationList::Segments)) {
        case CalibrationList::TemperaturePairs: ReadTemperaturePairs(s, cal); break;
        case CalibrationList::CodePoints: ReadCodePoints(s, cal); break;
        case CalibrationList::Segments: ReadSegments(s, cal); break;
    }
    cal.segmentTable.clear();
    cal.codePoints.clear();
}

}  // namespace quillon
