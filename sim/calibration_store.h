#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace quillon::sim {

// The calibration a simulated transmitter keeps in its memory, in the form of
// its firmware family. Reading commands answer from here; writing commands
// store here.

struct SimSegment {
    std::uint32_t startCode = 0;
    float startValue = 0.0f;
    float slope = 0.0f;
};

struct SimCodePoint {
    std::uint32_t code = 0;
    float value = 0.0f;
    bool last = false;  // the last-point flag of the lowest point
};

struct SimTemperaturePair {
    float sensorReading = 0.0f;
    float value = 0.0f;
};

struct SimTemperatureCalibration {
    bool present = false;
    std::uint8_t enabled = 1;
    std::vector<SimTemperaturePair> pairs;
    std::optional<std::array<std::uint8_t, 8>> sensorId;  // the id the calibration was made for
};

struct CalibrationStore {
    // Segment form: the table by index (a device without a calibration has none).
    std::vector<SimSegment> segments;
    // Code-point form: the slots of each channel (0 and 1), by slot number.
    std::array<std::map<std::uint8_t, SimCodePoint>, 2> codeSlots;
    // Temperature-pair form: [0] behind command 181/182 (converter channel),
    // [1] behind command 81/82 (I2C channel, and the whole device on revision 13).
    std::array<SimTemperatureCalibration, 2> pairs;
    // Setting 23 answers 0 only after a complete calibration was written.
    bool valid = true;
};

}  // namespace quillon::sim
