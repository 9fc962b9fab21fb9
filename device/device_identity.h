#pragma once

#include <array>
#include <cstdint>

#include "link/link_target.h"

namespace quillon {

// What command 0 taught about the connected device, and what was derived from
// it; whether it is identified and its long address are the link's part.
struct DeviceIdentity : LinkTarget {
    // Who made the device and what it is, as command 0 says (the expanded
    // device type and the 16-bit manufacturer code of HART 7 answers where
    // they are given), and the HART revision of its universal commands.
    std::uint16_t manufacturerId = 0;
    std::uint16_t deviceType = 0;
    std::uint8_t universalRevision = 0;
    // Whether a command 0 answer said the above; until one did, the device is
    // taken for one of this maker's, as the tool always has.
    bool makeKnown = false;
    // The engineer's settings file names this identity as one of this
    // maker's (a device the built-in identities do not know).
    bool listedOwnMake = false;
    std::uint8_t responsePreambles = 0;
    std::uint8_t deviceRevision = 0;
    std::uint8_t softwareRevision = 255;
    std::uint8_t hardwareRevision = 0;
    int calibrationPointCount = 8;
    int calibrationPointLimit = 8;
    bool extendedCalibration = false;
    bool densityMeter = false;
    int densityMeterKind = 0;
    std::array<std::uint8_t, 4> channelConfig{};
    int selectedChannel = 0;
    std::array<std::uint8_t, 8> sensorId{};
    bool sensorIdKnown = false;
    // Counts identifications of this run, so that what the layers above
    // remember of one device is not offered for the next.
    std::uint32_t identifications = 0;
};

}  // namespace quillon
