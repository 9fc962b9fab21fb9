#include "device/sensor_id.h"
#include "device/hex_text.h"

#include <algorithm>
#include <vector>

#include "device/dialogs.h"
#include "device/identification.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "link/attempt_loop.h"
#include "link/cp1251.h"
#include "link/crc16.h"
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

// Reads the sensor EEPROM block; false (after its message) when it could not.
bool ReadSensorBlock(DeviceState& s, SensorBlock& block) {
    BuildLongRequest(s.buffer, kReadBlockCommand,
                     {kBlockAddressHigh, kBlockAddressLow, static_cast<std::uint8_t>(kSensorBlockSize)});
    if (RunAttemptLoop(s, "Читаю ID датчика. Попытка: ", kNoAttemptLimit) != 0) {
        ErrorBox(s, "Не удалось прочитать ID датчика!");
        return false;
    }
    if (!AnswerHasStatus(s.buffer)) {
        ErrorBox(s, "Ошибка в длине данных ответа при чтении EEPROM!");
        return false;
    }
    switch (ResponseCode(s.buffer)) {
        case 0: break;
        case 8:
            ErrorBox(s, "Датчик не смог прочитать ID датчика из EEPROM! Проверьте подключение сенсора!");
            return false;
        case 64: ErrorBox(s, "Датчик не поддерживает запрос чтения ID датчика из EEPROM!"); return false;
        default: ErrorBox(s, "Неизвестная ошибка в байте статуса!"); return false;
    }
    if (AnswerByteCount(s.buffer) != kSensorBlockSize + 2) {
        ErrorBox(s, "Ошибка в длине данных ответа при чтении EEPROM!");
        return false;
    }
    const auto data = s.buffer.response.begin() + static_cast<std::ptrdiff_t>(AnswerDataIndex(s.buffer));
    std::copy(data, data + kSensorBlockSize, block.begin());
    return true;
}

// Writes the block, repeating on request while the sensor is write-locked.
bool WriteSensorBlock(DeviceState& s, const SensorBlock& block) {
    std::vector<std::uint8_t> data{kBlockAddressHigh, kBlockAddressLow, static_cast<std::uint8_t>(kSensorBlockSize)};
    data.insert(data.end(), block.begin(), block.end());
    for (;;) {
        BuildLongRequest(s.buffer, kWriteBlockCommand, data.data(), data.size());
        if (RunAttemptLoop(s, "Запись в EEPROM. Попытка: ", kNoAttemptLimit) != 0) {
            ErrorBox(s, "Не удалось получить ответ на запрос записи EEPROM!");
            return false;
        }
        const int code = AnswerHasStatus(s.buffer) ? ResponseCode(s.buffer) : -1;
        switch (code) {
            case 0: return true;
            case 7:
                if (s.ui.message(MessageIcon::Warning,
                                 "Запрещена запись в датчик. Для разрешения необходимо нажать кнопку на корпусе "
                                 "датчика. Повторить попытку?",
                                 MessageButtons::YesNo) == MessageAnswer::Yes)
                    continue;
                return false;
            case 8: ErrorBox(s, "Ошибка записи EEPROM!"); return false;
            default: ErrorBox(s, "Неизвестная ошибка записи EEPROM!"); return false;
        }
    }
}

}  // namespace

bool readSensorId(DeviceState& s) {
    DeviceIdentity& id = s.identity;
    if (id.sensorIdKnown || !hasSensorId(id)) return true;
    BuildLongRequest(s.buffer, kReadSensorIdCommand);
    if (RunAttemptLoop(s, "Читаю ID сенсора. Попытка: ", kNoAttemptLimit) != 0) {
        ErrorBox(s, "Не удалось прочитать ID сенсора!");
        return false;
    }
    if (!AnswerHasStatus(s.buffer)) {
        ErrorBox(s, "Ошибка в длине данных ответа!");
        return false;
    }
    switch (ResponseCode(s.buffer)) {
        case 0: break;
        case 8: ErrorBox(s, "Датчик не смог прочитать ID сенсора! Проверьте подключение сенсора!"); return false;
        case 64: ErrorBox(s, "Датчик не поддерживает запрос чтения ID сенсора!"); return false;
        default: ErrorBox(s, "Неизвестная ошибка в байте статуса!"); return false;
    }
    if (AnswerByteCount(s.buffer) != 10) {
        ErrorBox(s, "Ошибка в длине данных ответа!");
        return false;
    }
    const auto data = s.buffer.response.begin() + static_cast<std::ptrdiff_t>(AnswerDataIndex(s.buffer));
    std::copy(data, data + 8, id.sensorId.begin());
    id.sensorIdKnown = true;
    InfoBox(s, "ID сенсора подключенного датчика = " + HexBytesText(id.sensorId));
    return true;
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
    if (isRev16(id) && id.channelConfig[0] == 0)
        s.ui.message(MessageIcon::Warning, "Сейчас канал с датчиком на I2C не основной!", MessageButtons::Ok);

    SensorBlock block{};
    if (!ReadSensorBlock(s, block)) return false;
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
    return WriteSensorBlock(s, SensorBlockFor(Utf8ToCp1251(dialog.text)));
}

void SaveIdCommand(DeviceState& s) { writeSensorIdString(s); }

}  // namespace quillon
