#include "device/variant.h"

#include <cstdio>

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

bool isDacBySettings(const DeviceIdentity& id) { return In(S(id), {8, 9, 11, 14, 15, 16}); }

bool isOwnMake(const DeviceIdentity& id) {
    if (!id.makeKnown) return true;
    // This maker's transmitters, and the density meters of the family.
    if (id.manufacturerId == 0x26) return true;
    return id.manufacturerId == 35 && id.deviceType == 4;
}

std::optional<Outcome> RequireOwnMake(const DeviceIdentity& id) {
    if (isOwnMake(id)) return std::nullopt;
    char text[256];
    std::snprintf(text, sizeof text,
                  "Команда производителя недоступна: устройство другого производителя "
                  "(код производителя %02Xh, тип устройства %02Xh).",
                  static_cast<unsigned>(id.manufacturerId), static_cast<unsigned>(id.deviceType));
    return NotPossibleOutcome(text);
}

}  // namespace quillon
