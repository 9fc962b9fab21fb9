#pragma once

#include <array>
#include <cstdint>

#include "device/device_identity.h"

namespace quillon {

// The DAC scaling of the devices that keep it in their parameter block: slope
// and offset in one 7-byte string at index 120, the last byte its check byte.
// The slope is stored without its sign, as the mantissa bits (the leading one
// made explicit in bit 7 of byte 2) and 36 minus its exponent byte.
inline constexpr std::uint16_t kDacRecordIndex = 120;
inline constexpr std::size_t kDacRecordSize = 7;
using DacMemoryRecord = std::array<std::uint8_t, kDacRecordSize>;

struct DacRecordValues {
    float slope = 0.0f;
    int offset = 0;
};

// Encodes a non-negative slope and an offset in [-16384, 49151]; appends the check byte.
DacMemoryRecord EncodeDacRecord(float slope, int offset);
// Decodes bytes 0..5; the caller verifies the check byte first.
DacRecordValues DecodeDacRecord(const DacMemoryRecord& record);

// What the dialog starts from when the device holds no valid record: offset 0
// and 655.36 DAC codes per unit, or on a device with a millivolt output
// (device type 6) the slope of its output range.
DacRecordValues DefaultDacRecord(const DeviceIdentity& id);

}  // namespace quillon
