#include "device/identification.h"
#include "device/hex_text.h"


#include "device/channels.h"
#include "device/dialogs.h"
#include "device/parameter_access.h"
#include "device/variant.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/main_caption.h"
#include "link/message_boxes.h"
#include "device/menu_items.h"

namespace quillon {

namespace {

constexpr int kIdentifyAttempts = 5;
constexpr int kShortAddressAttempts = 5;
constexpr std::size_t kIdentityDataBytes = 12;
constexpr std::uint8_t kNoShortAddress = 16;
constexpr std::uint8_t kChannelSetting = 33;

// Command 0 in short frames until an answer carries a whole identity. An
// answer too short for one counts as a failed attempt.
bool ReadIdentity(DeviceState& s) {
    for (int attempt = 1; attempt <= kIdentifyAttempts; ++attempt) {
        s.ui.setProgressText("Узнаю длинный адрес. Попытка " + std::to_string(attempt));
        BuildShortRequest(s.buffer, 0);
        const int result = Exchange(s);
        if (result == ExchangeAborted || result == ExchangeBadRequest) return false;
        if (result == ExchangeOk && AnswerDataCount(s.buffer) >= kIdentityDataBytes) return true;
    }
    return false;
}

void StoreIdentity(DeviceState& s) {
    const auto& r = s.buffer.response;
    const std::size_t d = AnswerDataIndex(s.buffer);
    DeviceIdentity& id = s.identity;
    id.longAddress = LongAddressFromIdentity(&r[d]);
    id.manufacturerId = r[d + 1];
    id.deviceType = r[d + 2];
    id.universalRevision = r[d + 4];
    id.makeKnown = true;
    if (id.universalRevision >= 7) {
        id.deviceType = static_cast<std::uint16_t>((r[d + 1] << 8) | r[d + 2]);
        if (AnswerDataCount(s.buffer) >= 19) id.manufacturerId = static_cast<std::uint16_t>((r[d + 17] << 8) | r[d + 18]);
    }
    id.responsePreambles = r[d + 3];
    id.deviceRevision = r[d + 5];
    id.softwareRevision = r[d + 6];
    id.hardwareRevision = r[d + 7];
    id.identified = true;
    id.calibrationPointCount = derivedCalibrationPointCount(id);
}

void MarkDensityMeter(DeviceState& s) {
    DeviceIdentity& id = s.identity;
    const auto& a = id.longAddress;
    if (a[1] == 4 && a[0] == 35) {
        id.densityMeter = true;
        id.densityMeterKind = a[3] == 5 ? 1 : (a[3] == 6 || a[3] == 7) ? 2 : 0;
        if (a[3] == 6 && id.softwareRevision == 1) InfoBox(s, "Это последняя версия плотномера(Corvane)!");
    }
    if (isVelkor(id)) {
        id.densityMeter = true;
        id.densityMeterKind = 2;
        InfoBox(s, "Это устройство Velkor, имитирующее плотномер.");
    }
}

// Older revisions keep their polling address in the parameter block, guarded
// by its check byte.
void ReadShortAddressFromBlock(DeviceState& s) {
    const std::uint8_t sw = s.identity.softwareRevision;
    const std::uint16_t index = (sw == 6 || sw == 8 || sw == 9) ? 3 : 100;
    BuildReadParameterBlock(s, index, 2);
    s.ui.setProgressText("Узнаю короткий адрес");
    int result = ExchangeNoAnswer;
    for (int attempt = 1; attempt <= kShortAddressAttempts; ++attempt) {
        result = Exchange(s);
        if (result == ExchangeOk || result == ExchangeAborted || result == ExchangeBadRequest) break;
    }
    if (result != ExchangeOk) {
        ErrorBox(s, "Не удалось сосчитать параметры измерений!");
        return;
    }
    const std::uint8_t* data = s.buffer.response.data() + AnswerDataIndex(s.buffer);
    if (AnswerDataCount(s.buffer) < 2 || !VerifyXorCheck(data, 2)) {
        ErrorBox(s, "Короткий адрес не был введен!");
        return;
    }
    InfoBox(s, "Короткий адрес : " + std::to_string(data[0]) + " !");
    if (data[0] < 64) s.settings.shortAddress = data[0];
}

void DiscoverShortAddress(DeviceState& s, std::uint8_t answerAddressByte) {
    const DeviceIdentity& id = s.identity;
    if (isPreambleFamily(id)) {
        // These revisions answer command 0 from their own polling address.
        const std::uint8_t address = answerAddressByte & 0x3F;
        s.settings.shortAddress = address;
        if (address == kNoShortAddress)
            ErrorBox(s, "Короткий адрес не был введен!");
        else
            InfoBox(s, "Короткий адрес : " + std::to_string(address) + " !");
    } else if (isRev7(id)) {
        // Revision 7 keeps no readable polling address.
    } else if (supportsLongAddressChange(id)) {
        ReadShortAddressFromBlock(s);
    }
}

void SetSaveIdVisibility(DeviceState& s) {
    s.ui.setMenuItemVisible(menu::SaveId, canWriteI2cSensorId(s.identity, false));
}

void ShowChannelsAndIdentity(DeviceState& s) {
    DeviceIdentity& id = s.identity;
    SetSaveIdVisibility(s);
    if (isRev16(id)) {
        s.ui.setMenuItemVisible(menu::SelectChannelMenu, true);
        ChannelDialog channels;
        FillChannelDialog(id, channels, false);
        id.selectedChannel = id.channelConfig[0] != 0 ? 1 : 0;
        s.ui.show(channels);
        SetSaveIdVisibility(s);
    } else {
        s.ui.setMenuItemVisible(menu::SelectChannelMenu, false);
    }
    IdentityWindow window;
    FillIdentityWindow(id, window);
    s.ui.show(window);
}

}  // namespace

void invalidateIdentity(DeviceState& s) { s.identity.identified = false; }

void FillIdentityWindow(const DeviceIdentity& id, IdentityWindow& window) {
    window.labels[0] = HexBytesText(id.longAddress);
    window.labels[1] = "Software Revision Level : " + std::to_string(id.softwareRevision) + ".";
    window.labels[2] = "Device Revision Level : " + std::to_string(id.deviceRevision) + ".";
    window.labels[3] = "Hardware Revision Level : " + std::to_string(id.hardwareRevision) + ".";
    switch (id.softwareRevision) {
        case 14:
            window.labels[4] = "T версии 911 " + std::to_string(id.calibrationPointCount) + " точек калибровки";
            break;
        case 15: window.labels[4] = "T версии 911 с многотемпературной калибровкой"; break;
        case 16: window.labels[4] = "T версии 16 с работой АЦП и датчика I2C"; break;
        default: window.labels[4].clear(); break;
    }
    window.label5Visible = !window.labels[4].empty();
}

bool runIdentificationExchange(DeviceState& s) {
    DeviceIdentity& id = s.identity;
    id.sensorIdKnown = false;
    if (!ReadIdentity(s)) {
        ErrorBox(s, "Не могу узнать длинный адрес!");
        return false;
    }
    const std::uint8_t answerAddressByte = s.buffer.response[1];
    StoreIdentity(s);

    s.ui.setMenuItemVisible(menu::ChangeModbusAddrItem, hasModbusAddress(id, s.settings));
    if (newerFirmwareHint(id))
        s.ui.setStatusBar(true, "Имеется более новая версия прошивки с исправлениями");
    else
        s.ui.setStatusBar(false, "");
    InfoBox(s, "Длинный адрес устройства " + HexBytesText(id.longAddress));

    MarkDensityMeter(s);
    id.extendedCalibration = isStandardCommandFamily(id);
    s.ui.setMenuItemVisible(menu::ConstPlotnomerItem, id.densityMeter);

    if (s.settings.shortAddress == kNoShortAddress) DiscoverShortAddress(s, answerAddressByte);

    id.calibrationPointLimit = id.calibrationPointCount;
    id.sensorIdKnown = false;
    if (hasSensorId(id)) readSensorId(s);

    if (isRev16(id)) {
        const SettingReadResult channels = readSetting(s, kChannelSetting, "Чтение активных каналов");
        if (channels.result != kSettingRead) {
            ErrorBox(s, "Не удалось вычитать конфигурацию каналов!");
            id.identified = false;
            return false;
        }
        id.channelConfig = ChannelConfigFromValue(channels.value);
    }
    return true;
}

bool ensureIdentified(DeviceState& s) {
    if (s.identity.identified) return true;
    {
        ProgressWindow window(s.ui);
        s.ui.setProgressText("Узнаю длинный адрес");
        runIdentificationExchange(s);
    }
    ++s.identity.identifications;
    if (s.identity.identified) ShowChannelsAndIdentity(s);
    UpdateMainCaption(s);
    return s.identity.identified;
}

}  // namespace quillon
