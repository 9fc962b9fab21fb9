#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "calibration/calibration_set.h"
#include "device/device_state.h"

namespace quillon {

// One request of the measurement loop and how its answer is read.
struct MeasurementRequest {
    std::uint8_t command = 0;  // 176 (a setting) or 113 (the converter code)
    std::uint8_t setting = 0;  // for command 176
    bool ambient = false;      // the ambient channel of the two-channel window
};

// What the loop asks next. In the two-channel window every request with an
// odd count so far reads the ambient channel, so the first after a reset reads
// the main one.
MeasurementRequest NextMeasurementRequest(const DeviceIdentity& id, bool ambientWindow, std::uint64_t requests);

// The 32-bit reading of a valid answer to `request`, or nothing when the
// answer is not one (a response code, a wrong byte count, too short).
std::optional<std::uint32_t> MeasurementReading(const ExchangeBuffer& b, const MeasurementRequest& request);

// A line of the window's point list: n + ") " + label + reading, padded and
// cut to the label's length plus 14, then "Значение : " + value.
std::string MeasuredPointLine(int n, const DeviceIdentity& id, double reading, double value, char separator);

// The list lines of the points taken so far, in list order.
std::string MeasuredPointLines(const DeviceState& s, const CalibrationSet& cal);

inline constexpr int kMeasurementFinished = 0;  // the list holds every point wanted
inline constexpr int kMeasurementAbandoned = 1;  // "Прекратить"
inline constexpr int kMeasurementBroken = 2;     // a request that cannot be built; the points taken stay

// The measurement window and its loop until the engineer has entered
// `pointsWanted` points or abandoned the calibration. The window is closed on return.
int TakeCalibrationPoints(DeviceState& s, CalibrationSet& cal, int pointsWanted);

}  // namespace quillon
