#pragma once

#include "calibration/calibration_set.h"
#include "device/device_state.h"

namespace quillon {

// "Начать новую калибровку": a new calibration taken point by point.
void NewCalibration(DeviceState& s, CalibrationSet& cal);

// What follows the measurement (`TakeCalibrationPoints`' result): the view of
// a finished calibration; after a request that could not be built, the
// points taken with saving allowed but not sending; nothing when abandoned.
void ViewTakenCalibration(DeviceState& s, CalibrationSet& cal, int measured, int pointsWanted);

}  // namespace quillon
