#include "device/variant.h"

#include "device/device_make.h"

#include <algorithm>
#include <initializer_list>

namespace quillon {

namespace {

bool In(int value, std::initializer_list<int> set) { return std::find(set.begin(), set.end(), value) != set.end(); }

int S(const DeviceIdentity& id) { return id.softwareRevision; }
int H(const DeviceIdentity& id) { return id.hardwareRevision; }
int D(const DeviceIdentity& id) { return id.deviceRevision; }

constexpr int kNoDeviceYet = 255;

}  // namespace

bool isStandardCommandFamily(const DeviceIdentity& id) { return In(S(id), {6, 7, 8, 9, 10, 11, 13, 14, 15, 16}); }
bool supportsLongAddressChange(const DeviceIdentity& id) { return In(S(id), {3, 6, 7, 8, 9, 11, 14, 15, 16}); }
bool isRev16(const DeviceIdentity& id) { return S(id) == 16; }
bool isRev16AdcChannel(const DeviceIdentity& id) { return isRev16(id) && id.selectedChannel == 0; }
bool isRev16I2cChannel(const DeviceIdentity& id) { return isRev16(id) && id.selectedChannel == 1; }
bool hasSensorId(const DeviceIdentity& id) { return (S(id) == 13 && In(D(id), {1, 2})) || isRev16I2cChannel(id); }

bool canWriteI2cSensorId(const DeviceIdentity& id, bool strict) {
    if (S(id) == 13 && D(id) == 2) return true;
    if (!isRev16(id)) return false;
    return strict ? id.selectedChannel == 1 : (id.channelConfig[1] & 0x02) != 0;
}

bool isRev7(const DeviceIdentity& id) { return S(id) == 7; }
bool isRev15(const DeviceIdentity& id) { return S(id) == 15; }
bool isNotRev10or13(const DeviceIdentity& id) { return !In(S(id), {10, 13}); }

bool isRev14or16(const DeviceIdentity& id, int loadedCalibrationKind) {
    if (S(id) == kNoDeviceYet) return In(loadedCalibrationKind, {2, 3});
    return In(S(id), {14, 16});
}

bool hasMeasurementCount(const DeviceIdentity& id) { return isNotRev10or13(id) && !isRev16I2cChannel(id); }

bool supportsCalibrationRead(const DeviceIdentity& id) {
    return isRev3Hw1(id) || In(S(id), {6, 7, 8, 9, 10, 11, 13, 14, 15, 16});
}

bool pollsWithExtendedRequest(const DeviceIdentity& id) { return (S(id) == 9 && D(id) == 11) || isRev16(id); }
bool isPreambleFamily(const DeviceIdentity& id) { return In(S(id), {10, 13, 14, 15, 16}); }
bool hasValueCorrection(const DeviceIdentity& id) { return In(S(id), {6, 8, 9, 11, 13, 14, 15, 16}); }
bool isRev3Hw1(const DeviceIdentity& id) { return S(id) == 3 && H(id) == 1; }
bool isVelkor(const DeviceIdentity& id) { return isRev3Hw1(id) && D(id) == 4; }

bool hasModbusAddress(const DeviceIdentity& id, const LinkSettings& settings) {
    const bool fastModem = settings.linkType == kLinkDirect && settings.hartSpeedIndex >= 2;
    return (fastModem && In(S(id), {10, 13})) || (In(S(id), {9, 11}) && H(id) == 1);
}

bool isRev6(const DeviceIdentity& id) { return S(id) == 6; }
bool isRev8(const DeviceIdentity& id) { return S(id) == 8; }
bool isRev9or11(const DeviceIdentity& id) { return In(S(id), {9, 11}); }
bool isRev11(const DeviceIdentity& id) { return S(id) == 11; }
bool isRev4(const DeviceIdentity& id) { return S(id) == 4; }
bool isRev6Hw1(const DeviceIdentity& id) { return S(id) == 6 && H(id) == 1; }
bool isAdcFamilyA(const DeviceIdentity& id) { return In(S(id), {14, 16}) && (H(id) & 0x30) == 0x20; }
bool isAdcFamilyB(const DeviceIdentity& id) { return In(S(id), {14, 16}) && (H(id) & 0x30) == 0x30; }

bool isStandardFamilyExcept7_10_13(const DeviceIdentity& id) { return In(S(id), {6, 8, 9, 11, 14, 15, 16}); }
bool isStandardFamilyExcept10_13(const DeviceIdentity& id) { return In(S(id), {6, 7, 8, 9, 11, 14, 15, 16}); }

bool hasTemperatureReadings(const DeviceIdentity& id, int loadedCalibrationKind) {
    if (S(id) == kNoDeviceYet) return loadedCalibrationKind == 2;
    return In(S(id), {10, 13, 14, 15, 16});
}

bool hasFloatAmbientReading(const DeviceIdentity& id) { return In(S(id), {11, 14, 15, 16}); }

bool newerFirmwareHint(const DeviceIdentity& id) {
    return S(id) == 3 && ((In(H(id), {0, 2}) && D(id) == 0) || (H(id) == 1 && D(id) < 2));
}

int derivedCalibrationPointCount(const DeviceIdentity& id) {
    if ((S(id) == 14 && D(id) == 1) || S(id) == 16) return 25;
    if (In(S(id), {8, 9, 11})) return 15;
    return 8;
}

bool hasAmbientChannel(const DeviceIdentity& id) { return In(S(id), {8, 9, 11, 14, 15, 16}); }
bool isDacBySettings(const DeviceIdentity& id) { return In(S(id), {8, 9, 11, 14, 15, 16}); }

bool isOwnMake(const DeviceIdentity& id) {
    if (!id.makeKnown) return true;
    return id.listedOwnMake || BuiltInOwnMake(id.manufacturerId, id.deviceType);
}

namespace {

DeviceMake MakeOf(const DeviceIdentity& id) { return {id.manufacturerId, id.deviceType, id.universalRevision}; }

// The firmware versions that carry a name of their own.
std::string NamedVersionText(const DeviceIdentity& id) {
    switch (S(id)) {
        case 14: return "T версии 911 " + std::to_string(id.calibrationPointCount) + " точек калибровки";
        case 15: return "T версии 911 с многотемпературной калибровкой";
        case 16: return "T версии 16 с работой АЦП и датчика I2C";
        default: return {};
    }
}

}  // namespace

std::optional<Outcome> RequireOwnMake(const DeviceIdentity& id) {
    if (isOwnMake(id)) return std::nullopt;
    return NotPossibleOutcome("Команда производителя недоступна: устройство другого производителя (" +
                              MakeText(MakeOf(id)) + ").");
}

std::string IdentityVariantLine(const DeviceIdentity& id) {
    if (!isOwnMake(id)) return "Устройство другого производителя: " + MakeText(MakeOf(id));
    return NamedVersionText(id);
}

std::string DerivedVariantText(const DeviceIdentity& source) {
    // Revisions, firmware and command sets of another maker mean nothing here.
    if (!isOwnMake(source)) return IdentityVariantLine(source);
    DeviceIdentity id = source;
    id.calibrationPointCount = derivedCalibrationPointCount(id);
    std::string text = NamedVersionText(id);
    if (text.empty())
        text = "ПО " + std::to_string(id.softwareRevision) + ", точек калибровки " +
               std::to_string(id.calibrationPointCount);
    if (isVelkor(id))
        text += "; Velkor, имитирующий плотномер";
    else if (id.longAddress[1] == 4 && id.longAddress[0] == 35)
        text += "; плотномер";
    text += isStandardCommandFamily(id) ? "; стандартные команды" : "; свои команды";
    return text;
}

}  // namespace quillon
