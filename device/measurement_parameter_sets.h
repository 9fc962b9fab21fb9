#pragma once

#include "app/app_state.h"

namespace quillon {

// The editors the measurement-parameters command dispatches to.
// Set A: damping and two periods; `i2cChannel` leaves damping out.
void EditMeasurementSetA(AppState& s, bool i2cChannel);
// Set B: the multi-temperature transmitter.
void EditMeasurementSetB(AppState& s);
// Set C: the cathodic-potential sensor.
void EditCathodicSensorParameters(AppState& s);
// Older devices: measurements between self-calibrations (commands 118/117).
void EditMeasurementCount(AppState& s);

}  // namespace quillon
