#pragma once

#include "device/device_identity.h"
#include "link/link_settings.h"
#include "link/outcome.h"

#include <optional>
#include <string>

namespace quillon {

// Variant predicates of the identified device. Every operation asks about the
// device only through these. S = software revision, H = hardware revision,
// D = device revision. They answer from the last identified device even
// while `identified` is clear.

bool isStandardCommandFamily(const DeviceIdentity& id);    // S in {6..11, 13..16}
bool supportsLongAddressChange(const DeviceIdentity& id);  // S in {3, 6, 7, 8, 9, 11, 14, 15, 16}
bool isRev16(const DeviceIdentity& id);
bool isRev16AdcChannel(const DeviceIdentity& id);  // S = 16, converter channel selected
bool isRev16I2cChannel(const DeviceIdentity& id);  // S = 16, I2C channel selected
bool hasSensorId(const DeviceIdentity& id);
// strict: the I2C channel is the selected one; otherwise it only has to be active.
bool canWriteI2cSensorId(const DeviceIdentity& id, bool strict);
bool isRev7(const DeviceIdentity& id);
bool isRev15(const DeviceIdentity& id);
bool isNotRev10or13(const DeviceIdentity& id);
// While no device has been identified in this run (S = 255) the answer comes
// from the kind of the calibration file loaded last (2 and 3 count);
// callers without a loaded file pass nothing.
bool isRev14or16(const DeviceIdentity& id, int loadedCalibrationKind = 0);
bool hasMeasurementCount(const DeviceIdentity& id);
bool supportsCalibrationRead(const DeviceIdentity& id);
bool pollsWithExtendedRequest(const DeviceIdentity& id);
bool isPreambleFamily(const DeviceIdentity& id);  // S in {10, 13, 14, 15, 16}
bool hasValueCorrection(const DeviceIdentity& id);
bool isRev3Hw1(const DeviceIdentity& id);
bool isVelkor(const DeviceIdentity& id);  // the current-output device that imitates a density meter
bool hasModbusAddress(const DeviceIdentity& id, const LinkSettings& settings);
bool isRev6(const DeviceIdentity& id);
bool isRev8(const DeviceIdentity& id);
bool isRev9or11(const DeviceIdentity& id);
bool isRev11(const DeviceIdentity& id);
bool isRev4(const DeviceIdentity& id);
bool isRev6Hw1(const DeviceIdentity& id);
bool isAdcFamilyA(const DeviceIdentity& id);  // S in {14, 16}, H bit 0x20 without 0x10
bool isAdcFamilyB(const DeviceIdentity& id);  // S in {14, 16}, H bits 0x10 and 0x20

// Sets calibration and measurement settings branch on.
// S in {6, 8, 9, 11, 14, 15, 16}: the standard family without revisions 7, 10 and 13.
bool isStandardFamilyExcept7_10_13(const DeviceIdentity& id);
// S in {6, 7, 8, 9, 11, 14, 15, 16}: the standard family without revisions 10 and 13.
bool isStandardFamilyExcept10_13(const DeviceIdentity& id);
// S in {10, 13, 14, 15, 16}, or while S = 255 a loaded calibration file of kind 2:
// readings are temperatures (floats) rather than converter codes.
bool hasTemperatureReadings(const DeviceIdentity& id, int loadedCalibrationKind = 0);
// S in {11, 14, 15, 16}: setting 20, the ambient channel, carries a float;
// on the other revisions it is a converter code. Every reader of setting 20
// (the code view, the calibration's measuring loop) reads it this way.
bool hasFloatAmbientReading(const DeviceIdentity& id);

// S in {8, 9, 11, 14, 15, 16}: a channel for the ambient temperature
// instead of the current feedback channel.
bool hasAmbientChannel(const DeviceIdentity& id);
// S in {8, 9, 11, 14, 15, 16}: the DAC scaling is kept as numbered settings.
bool isDacBySettings(const DeviceIdentity& id);

// A device of this maker, whose commands 128-253 mean what this tool sends:
// its manufacturer and device type are among the built-in ones or listed in
// the settings file. Before any device was identified nothing is known
// against it.
bool isOwnMake(const DeviceIdentity& id);
// Nothing, or the outcome of a maker-specific command refused before any
// request because the device is of another maker.
std::optional<Outcome> RequireOwnMake(const DeviceIdentity& id);

// Old revision-3 firmware for which a corrected version exists.
bool newerFirmwareHint(const DeviceIdentity& id);

// Calibration points of the device as derived at identification.
int derivedCalibrationPointCount(const DeviceIdentity& id);

// The line of the identity window under the revisions: the firmware version's
// own name for revisions 14-16, the maker and type of a device of another
// maker; empty for the rest.
std::string IdentityVariantLine(const DeviceIdentity& id);
// What identification makes of a device, as the loop scan and the command
// line list it: its firmware, calibration points and command set, or the
// maker and type of a device of another maker.
std::string DerivedVariantText(const DeviceIdentity& id);

}  // namespace quillon
