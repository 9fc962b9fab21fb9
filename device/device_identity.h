#pragma once

#include <array>
#include <cstdint>

#include "link/link_target.h"

namespace quillon {

// What command 0 taught about the connected device, and what was derived from
// it; whether it is identified and its long address are the link's part.
struct DeviceIdentity : LinkTarget {
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
};

}  // namespace quillon
