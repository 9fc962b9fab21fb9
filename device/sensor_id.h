#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "device/device_state.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

using SensorId = std::array<std::uint8_t, 8>;

// Reads the identifier of the attached sensor (command 220). Done: the
// identifier, also kept in the identity. Refused with kNoResponseCode: an
// answer that is not 8 bytes.
Result<SensorId> ReadSensorId(DeviceState& s);
// The box of a sensor-identifier read: the identifier when done.
Report SensorIdReport(const Result<SensorId>& r);

// Reads the identifier unless it is known already or the device has none,
// and shows its report. False when the read failed.
bool readSensorId(DeviceState& s);

// The sensor EEPROM block: an identifier string of up to 16 bytes padded with
// zeros, then its CRC (low byte first).
inline constexpr std::size_t kSensorBlockSize = 18;
inline constexpr std::size_t kSensorStringBytes = 16;
using SensorBlock = std::array<std::uint8_t, kSensorBlockSize>;

// The device bytes of the text the edit shows (Windows-1251): the block's
// first 15 bytes up to the first zero.
std::string SensorBlockText(const SensorBlock& block);
// Block for a text in device bytes: its first 16 bytes, zero padding, CRC.
SensorBlock SensorBlockFor(const std::string& text);

// Reads the sensor EEPROM block (command 222) as it is, its CRC unchecked.
// Refused with kNoResponseCode: an answer that is not a whole block.
Result<SensorBlock> ReadSensorBlock(DeviceState& s);
Report SensorBlockReadReport(const Outcome& o);
// Writes the block (command 221); on the sensor's write lock (code 7 only:
// its code 16 is no lock) `askRepeat` decides whether it goes out again.
Outcome WriteSensorBlock(DeviceState& s, const SensorBlock& block, const AskRepeatOnLock& askRepeat);
Report SensorBlockWriteReport(const Outcome& o);

// Writes the device-identifier string into the EEPROM of the I2C sensor.
// True when written or when nothing had to be written; false when
// identification, the block read or the write failed, the user declined a
// repeat, or the dialog was cancelled over an unreadable block.
bool writeSensorIdString(DeviceState& s);

// Body of "Запись ID для T на I2C (Ostrel)" (inside the port bracket).
void SaveIdCommand(DeviceState& s);

}  // namespace quillon
