#include "device/sensor_id.h"
#include "device/hex_text.h"

#include <algorithm>
#include <vector>

#include "device/dialogs.h"
#include "device/identification.h"
#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "link/attempt_loop.h"
#include "link/cp1251.h"
#include "link/crc16.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kReadSensorIdCommand = 220;
constexpr std::uint8_t kWriteBlockCommand = 221;
constexpr std::uint8_t kReadBlockCommand = 222;
// Where the block lives in the sensor EEPROM, and its length.
constexpr std::uint8_t kBlockAddressHigh = 0x00;
constexpr std::uint8_t kBlockAddressLow = 0x54;
constexpr std::size_t kShownTextBytes = 15;

constexpr std::uint8_t kSensorLockCode = 7;
constexpr const char* kLockQuestion =
    "Запрещена запись в датчик. Для разрешения необходимо нажать кнопку на корпусе датчика. Повторить попытку?";

std::uint8_t CodeOf(const ExchangeBuffer& b) { return AnswerHasStatus(b) ? ResponseCode(b) : kNoResponseCode; }

}  // namespace

Result<SensorId> ReadSensorId(DeviceState& s) {
    if (auto foreign = RequireOwnMake(s.identity)) return {*foreign};
    BuildLongRequest(s.buffer, kReadSensorIdCommand);
    const int exchange = RunAttemptLoop(s, "Читаю ID сенсора. Попытка: ", kNoAttemptLimit);
    if (exchange != ExchangeOk) return {ExchangeOutcome(s, exchange)};
    const std::uint8_t code = CodeOf(s.buffer);
    if (code != 0) return {RefusedOutcome(code)};
    if (AnswerByteCount(s.buffer) != 10) return {RefusedOutcome(kNoResponseCode)};
    Result<SensorId> r;
    const auto data = s.buffer.response.begin() + static_cast<std::ptrdiff_t>(AnswerDataIndex(s.buffer));
    std::copy(data, data + 8, r.value.begin());
    s.identity.sensorId = r.value;
    s.identity.sensorIdKnown = true;
    return r;
}

Report SensorIdReport(const Result<SensorId>& r) {
    const Outcome& o = r.outcome;
    switch (o.cause()) {
        case OutcomeKind::Done: return {InfoText("ID сенсора подключенного датчика = " + HexBytesText(r.value))};
        case OutcomeKind::Refused:
            switch (o.responseCode) {
                case kNoResponseCode: return {ErrorText("Ошибка в длине данных ответа!")};
                case 8: return {ErrorText("Датчик не смог прочитать ID сенсора! Проверьте подключение сенсора!")};
                case 64: return {ErrorText("Датчик не поддерживает запрос чтения ID сенсора!")};
                default: return {ErrorText("Неизвестная ошибка в байте статуса!")};
            }
        case OutcomeKind::NotPossible: return {ErrorText(o.reason)};
        default: return {ErrorText("Не удалось прочитать ID сенсора!")};
    }
}

Result<SensorBlock> ReadSensorBlock(DeviceState& s) {
    if (auto foreign = RequireOwnMake(s.identity)) return {*foreign};
    BuildLongRequest(s.buffer, kReadBlockCommand,
                     {kBlockAddressHigh, kBlockAddressLow, static_cast<std::uint8_t>(kSensorBlockSize)});
    const int exchange = RunAttemptLoop(s, "Читаю ID датчика. Попытка: ", kNoAttemptLimit);
    if (exchange != ExchangeOk) return {ExchangeOutcome(s, exchange)};
    const std::uint8_t code = CodeOf(s.buffer);
    if (code != 0) return {RefusedOutcome(code)};
    if (AnswerByteCount(s.buffer) != kSensorBlockSize + 2) return {RefusedOutcome(kNoResponseCode)};
    Result<SensorBlock> r;
    const auto data = s.buffer.response.begin() + static_cast<std::ptrdiff_t>(AnswerDataIndex(s.buffer));
    std::copy(data, data + kSensorBlockSize, r.value.begin());
    return r;
}

Report SensorBlockReadReport(const Outcome& o) {
    switch (o.cause()) {
        case OutcomeKind::Done: return {};
        case OutcomeKind::Refused:
            switch (o.responseCode) {
                case kNoResponseCode: return {ErrorText("Ошибка в длине данных ответа при чтении EEPROM!")};
                case 8:
                    return {ErrorText("Датчик не смог прочитать ID датчика из EEPROM! Проверьте подключение сенсора!")};
                case 64: return {ErrorText("Датчик не поддерживает запрос чтения ID датчика из EEPROM!")};
                default: return {ErrorText("Неизвестная ошибка в байте статуса!")};
            }
        case OutcomeKind::NotPossible: return {ErrorText(o.reason)};
        default: return {ErrorText("Не удалось прочитать ID датчика!")};
    }
}

Outcome WriteSensorBlock(DeviceState& s, const SensorBlock& block, const AskRepeatOnLock& askRepeat) {
    if (auto foreign = RequireOwnMake(s.identity)) return *foreign;
    std::vector<std::uint8_t> data{kBlockAddressHigh, kBlockAddressLow, static_cast<std::uint8_t>(kSensorBlockSize)};
    data.insert(data.end(), block.begin(), block.end());
    for (;;) {
        BuildLongRequest(s.buffer, kWriteBlockCommand, data.data(), data.size());
        const std::uint64_t sentBefore = s.requestsSent;
        const int exchange = RunAttemptLoop(s, "Запись в EEPROM. Попытка: ", kNoAttemptLimit);
        if (exchange != ExchangeOk) {
            const Outcome o = ExchangeOutcome(s, exchange);
            return s.requestsSent != sentBefore ? WithUnknownEffect(o) : o;
        }
        const std::uint8_t code = CodeOf(s.buffer);
        if (code == 0) return DoneOutcome();
        const Outcome refusal = RefusedOutcome(code);
        // The sensor knows only code 7 as its lock; 16 means something else here.
        if (code == kSensorLockCode && askRepeat && askRepeat(refusal)) continue;
        return refusal;
    }
}

Report SensorBlockWriteReport(const Outcome& o) {
    switch (o.cause()) {
        case OutcomeKind::Done: return {};
        case OutcomeKind::Refused:
            // The write lock's text came with its question.
            if (o.responseCode == kSensorLockCode) return {};
            return {ErrorText(o.responseCode == 8 ? "Ошибка записи EEPROM!" : "Неизвестная ошибка записи EEPROM!")};
        case OutcomeKind::NotPossible: return {ErrorText(o.reason)};
        default: return {ErrorText(WithEffect("Не удалось получить ответ на запрос записи EEPROM!", o))};
    }
}

bool readSensorId(DeviceState& s) {
    const DeviceIdentity& id = s.identity;
    if (id.sensorIdKnown || !hasSensorId(id)) return true;
    const Result<SensorId> r = ReadSensorId(s);
    ShowReport(s.ui, SensorIdReport(r));
    return r.done();
}

std::string SensorBlockText(const SensorBlock& block) {
    const auto end = std::find(block.begin(), block.begin() + kShownTextBytes, std::uint8_t{0});
    return std::string(block.begin(), end);
}

SensorBlock SensorBlockFor(const std::string& text) {
    SensorBlock block{};
    std::copy_n(text.begin(), std::min(text.size(), kSensorStringBytes), block.begin());
    AppendCrc(block.data(), kSensorStringBytes);
    return block;
}

bool writeSensorIdString(DeviceState& s) {
    if (!ensureIdentified(s)) return false;
    const DeviceIdentity& id = s.identity;
    if (!canWriteI2cSensorId(id, false)) return true;

    if (auto foreign = RequireOwnMake(id)) {
        ShowReport(s.ui, SensorBlockReadReport(*foreign));
        return false;
    }
    if (isRev16(id) && id.channelConfig[0] == 0)
        s.ui.message(MessageIcon::Warning, "Сейчас канал с датчиком на I2C не основной!", MessageButtons::Ok);

    const Result<SensorBlock> read = ReadSensorBlock(s);
    ShowReport(s.ui, SensorBlockReadReport(read.outcome));
    if (!read.done()) return false;
    SensorBlock block = read.value;
    bool forceRewrite = false;
    if (!CrcResidueCheck(block.data(), block.size())) {
        ErrorBox(s, "Строка с идентификатором прибора не была записана!");
        block.fill(0);
        forceRewrite = true;
    }

    SerialStringDialog dialog;
    dialog.text = Cp1251ToUtf8(SensorBlockText(block));
    const std::string shown = dialog.text;
    if (!s.ui.show(dialog)) return !forceRewrite;
    if (dialog.text == shown && !forceRewrite) return true;
    const AskRepeatOnLock ask = [&s](const Outcome&) {
        return s.ui.message(MessageIcon::Warning, kLockQuestion, MessageButtons::YesNo) == MessageAnswer::Yes;
    };
    const Outcome o = WriteSensorBlock(s, SensorBlockFor(Utf8ToCp1251(dialog.text)), ask);
    ShowReport(s.ui, SensorBlockWriteReport(o));
    return o.done();
}

void SaveIdCommand(DeviceState& s) { writeSensorIdString(s); }

}  // namespace quillon
