#pragma once

#include "device/device_state.h"
#include "device/measurement_parameters.h"

namespace quillon {

// The editors the measurement-parameters command dispatches to.
// Set A: damping and two periods; `i2cChannel` leaves damping out.
void EditMeasurementSetA(DeviceState& s, bool i2cChannel);
// Set B: the multi-temperature transmitter.
void EditMeasurementSetB(DeviceState& s);
// Set C: the cathodic-potential sensor.
void EditCathodicSensorParameters(DeviceState& s);
// Older devices: measurements between self-calibrations (commands 118/117).
void EditMeasurementCount(DeviceState& s);

// The shared steps of the editors: the read with its boxes (false: the
// command ends), and the write with the write-lock question and its report.
bool ReadForDialog(DeviceState& s, MeasurementParameters& p);
void WriteFromDialog(DeviceState& s, const MeasurementParameters& p);

}  // namespace quillon
