#include "device/identification.h"
#include "device/hex_text.h"
#include "device/device_swap.h"
#include "link/message_boxes.h"


#include "device/channels.h"
#include "device/device_make.h"
#include "device/sensor_id.h"
#include "device/dialogs.h"
#include "device/parameter_access.h"
#include "device/variant.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/main_caption.h"
#include "link/report.h"
#include "device/menu_items.h"

namespace quillon {

namespace {

constexpr int kIdentifyAttempts = 5;
constexpr int kShortAddressAttempts = 5;
constexpr std::size_t kIdentityDataBytes = 12;
constexpr std::uint8_t kNoShortAddress = 16;
constexpr std::uint8_t kChannelSetting = 33;

constexpr const char* kNoIdentity = "Не могу узнать длинный адрес!";
constexpr const char* kNoChannels = "Не удалось вычитать конфигурацию каналов!";
constexpr const char* kChannelCaption = "Чтение активных каналов";

// Command 0 in short frames until an answer carries a whole identity. An
// answer too short for one counts as a failed attempt.
int ReadIdentity(DeviceState& s) {
    int result = ExchangeNoAnswer;
    for (int attempt = 1; attempt <= kIdentifyAttempts; ++attempt) {
        s.ui.setProgressText("Узнаю длинный адрес. Попытка " + std::to_string(attempt));
        BuildShortRequest(s.buffer, 0);
        result = Exchange(s);
        if (result == ExchangeAborted || result == ExchangeBadRequest) return result;
        if (result == ExchangeOk && AnswerDataCount(s.buffer) >= kIdentityDataBytes) return ExchangeOk;
        if (result == ExchangeOk) result = ExchangeBadAnswer;
    }
    return result;
}

void StoreIdentity(DeviceState& s) {
    const auto& r = s.buffer.response;
    const std::size_t d = AnswerDataIndex(s.buffer);
    DeviceIdentity& id = s.identity;
    id.longAddress = LongAddressFromIdentity(&r[d]);
    const DeviceMake make = MakeFromIdentityAnswer(&r[d], AnswerDataCount(s.buffer));
    id.manufacturerId = make.manufacturerId;
    id.deviceType = make.deviceType;
    id.universalRevision = make.universalRevision;
    id.makeKnown = true;
    id.listedOwnMake = ListedOwnMake(s.settings.ownDevices, make.manufacturerId, make.deviceType);
    id.responsePreambles = r[d + 3];
    id.deviceRevision = r[d + 5];
    id.softwareRevision = r[d + 6];
    id.hardwareRevision = r[d + 7];
    id.identified = true;
    id.calibrationPointCount = derivedCalibrationPointCount(id);
}

void MarkDensityMeter(DeviceState& s, Report& notes) {
    DeviceIdentity& id = s.identity;
    const auto& a = id.longAddress;
    if (a[1] == 4 && a[0] == 35) {
        id.densityMeter = true;
        id.densityMeterKind = a[3] == 5 ? 1 : (a[3] == 6 || a[3] == 7) ? 2 : 0;
        if (a[3] == 6 && id.softwareRevision == 1) notes.push_back(InfoText("Это последняя версия плотномера(Corvane)!"));
    }
    // The revisions of another maker's device say nothing of ours.
    if (isOwnMake(id) && isVelkor(id)) {
        id.densityMeter = true;
        id.densityMeterKind = 2;
        notes.push_back(InfoText("Это устройство Velkor, имитирующее плотномер."));
    }
}

Box ShortAddressNote(std::uint8_t address) { return InfoText("Короткий адрес : " + std::to_string(address) + " !"); }

// Older revisions keep their polling address in the parameter block, guarded
// by its check byte.
void ReadShortAddressFromBlock(DeviceState& s, Report& notes) {
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
        notes.push_back(ErrorText("Не удалось сосчитать параметры измерений!"));
        return;
    }
    const std::uint8_t* data = s.buffer.response.data() + AnswerDataIndex(s.buffer);
    if (AnswerDataCount(s.buffer) < 2 || !VerifyXorCheck(data, 2)) {
        notes.push_back(ErrorText("Короткий адрес не был введен!"));
        return;
    }
    notes.push_back(ShortAddressNote(data[0]));
    if (data[0] < 64) s.settings.shortAddress = data[0];
}

void DiscoverShortAddress(DeviceState& s, std::uint8_t answerAddressByte, Report& notes) {
    const DeviceIdentity& id = s.identity;
    // These revisions, and every device of another maker, answer command 0
    // from their own polling address; the parameter block is this maker's.
    if (isPreambleFamily(id) || !isOwnMake(id)) {
        const std::uint8_t address = answerAddressByte & 0x3F;
        s.settings.shortAddress = address;
        if (address == kNoShortAddress)
            notes.push_back(ErrorText("Короткий адрес не был введен!"));
        else
            notes.push_back(ShortAddressNote(address));
    } else if (isRev7(id)) {
        // Revision 7 keeps no readable polling address.
    } else if (supportsLongAddressChange(id)) {
        ReadShortAddressFromBlock(s, notes);
    }
}

void SetSaveIdVisibility(DeviceState& s) {
    s.ui.setMenuItemVisible(menu::SaveId, isOwnMake(s.identity) && canWriteI2cSensorId(s.identity, false));
}

void ShowChannelsAndIdentity(DeviceState& s) {
    DeviceIdentity& id = s.identity;
    SetSaveIdVisibility(s);
    if (isOwnMake(id) && isRev16(id)) {
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

// What the main window shows of the identified device beside its identity.
void ShowDeviceMenus(DeviceState& s) {
    const DeviceIdentity& id = s.identity;
    const bool own = isOwnMake(id);
    s.ui.setMenuItemVisible(menu::ChangeModbusAddrItem, own && hasModbusAddress(id, s.settings));
    if (own && newerFirmwareHint(id))
        s.ui.setStatusBar(true, "Имеется более новая версия прошивки с исправлениями");
    else
        s.ui.setStatusBar(false, "");
    s.ui.setMenuItemVisible(menu::ConstPlotnomerItem, id.densityMeter);
}

}  // namespace

void invalidateIdentity(DeviceState& s) { s.identity.identified = false; }

void FillIdentityWindow(const DeviceIdentity& id, IdentityWindow& window) {
    window.labels[0] = HexBytesText(id.longAddress);
    window.labels[1] = "Software Revision Level : " + std::to_string(id.softwareRevision) + ".";
    window.labels[2] = "Device Revision Level : " + std::to_string(id.deviceRevision) + ".";
    window.labels[3] = "Hardware Revision Level : " + std::to_string(id.hardwareRevision) + ".";
    window.labels[4] = IdentityVariantLine(id);
    window.label5Visible = !window.labels[4].empty();
}

Result<DeviceIdentity> Identify(DeviceState& s, Report* notesOut) {
    Report scratch;
    Report& notes = notesOut ? *notesOut : scratch;
    DeviceIdentity& id = s.identity;
    id.sensorIdKnown = false;
    const int exchange = ReadIdentity(s);
    if (exchange != ExchangeOk) {
        Outcome o = ExchangeOutcome(s, exchange);
        // An answer that never carried a whole identity is no answer.
        if (o.kind == OutcomeKind::Done) o = ExchangeOutcome(s, ExchangeBadAnswer);
        return {o, id};
    }
    const std::uint8_t answerAddressByte = s.buffer.response[1];
    StoreIdentity(s);
    notes.push_back(InfoText("Длинный адрес устройства " + HexBytesText(id.longAddress)));

    MarkDensityMeter(s, notes);
    id.extendedCalibration = isStandardCommandFamily(id);

    if (s.settings.shortAddress == kNoShortAddress) DiscoverShortAddress(s, answerAddressByte, notes);

    id.calibrationPointLimit = id.calibrationPointCount;
    id.sensorIdKnown = false;
    // The follow-up reads are this maker's commands.
    if (!isOwnMake(id)) return {DoneOutcome(), id};
    if (hasSensorId(id)) {
        const auto sensor = ReadSensorId(s);
        const Report shown = SensorIdReport(sensor);
        notes.insert(notes.end(), shown.begin(), shown.end());
    }
    if (isRev16(id)) {
        const Result<std::uint32_t> channels = ReadSetting(s, kChannelSetting, kChannelCaption);
        // A refusal with a code leaves the device's default configuration, 0;
        // only a read that got no usable answer fails the identification.
        const bool refusedWithCode =
            channels.outcome.cause() == OutcomeKind::Refused && channels.outcome.responseCode != kNoResponseCode;
        const Report shown = SettingReadReport(kChannelCaption, channels.outcome);
        notes.insert(notes.end(), shown.begin(), shown.end());
        if (!channels.done() && !refusedWithCode) {
            id.identified = false;
            Outcome o = channels.outcome;
            o.field = kChannelConfigurationStep;
            return {o, id};
        }
        id.channelConfig = ChannelConfigFromValue(channels.done() ? channels.value : 0);
    }
    return {DoneOutcome(), id};
}

Report IdentificationReport(const Outcome& o) {
    if (o.done()) return {};
    if (o.field == kChannelConfigurationStep) return {ErrorText(kNoChannels)};
    return {ErrorText(kNoIdentity)};
}

bool runIdentificationExchange(DeviceState& s) {
    Report notes;
    const Result<DeviceIdentity> r = Identify(s, &notes);
    if (s.identity.identified || r.outcome.field == kChannelConfigurationStep) ShowDeviceMenus(s);
    ShowReport(s.ui, notes);
    ShowReport(s.ui, IdentificationReport(r.outcome));
    return r.done();
}

bool ensureIdentified(DeviceState& s) {
    if (s.identity.identified && s.longFrameUnanswered) {
        std::optional<std::string> swapped;
        {
            ProgressWindow window(s.ui);
            swapped = CheckForSwappedDevice(s);
        }
        if (swapped) InfoBox(s, *swapped);
    }
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
