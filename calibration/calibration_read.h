#pragma once

#include <string>
#include <vector>

#include "calibration/calibration_form.h"
#include "calibration/calibration_set.h"
#include "device/device_state.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// What a calibration read came to besides its list (which is in the set).
struct CalibrationRead {
    CalibrationList form = CalibrationList::Segments;
    // The reasons the read failed, in the words engineers know, in order.
    std::vector<std::string> failure;
    // Read, but the device keeps no valid extra point beside its segments.
    bool noExtraPoint = false;
    // Read, and the calibration was made for another sensor than the connected one.
    bool otherSensor = false;
};
// `value` of a calibration read is meaningful whatever its outcome.
using CalibrationReadResult = Result<CalibrationRead>;

// Reads the device's calibration in its form into `cal` (the lists cleared
// first, and the extra point of hardware-1 segment devices) from the channel
// `s.identity.selectedChannel`. The caller has read the connected sensor id
// (`readSensorId`). Refused, damaged or lost answers end it; the segment and
// code-point lists are empty then.
CalibrationReadResult ReadDeviceCalibration(DeviceState& s, CalibrationSet& cal);

// The boxes of a calibration read: why it failed, or what a done read adds.
Report CalibrationReadReport(const DeviceIdentity& id, const CalibrationSet& cal, const CalibrationReadResult& r);

// "Вычитать из датчика": identifies, asks the channel, reads, reports and
// shows the calibration in its view with what the view offers.
void ReadCalibration(DeviceState& s, CalibrationSet& cal);

// The three read protocols, each followed by its view.
void ReadSegments(DeviceState& s, CalibrationSet& cal);
void ReadCodePoints(DeviceState& s, CalibrationSet& cal);
void ReadTemperaturePairs(DeviceState& s, CalibrationSet& cal);

}  // namespace quillon
