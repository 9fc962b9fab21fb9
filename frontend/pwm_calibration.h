#pragma once

#include "app/app_state.h"

namespace quillon {

// The PWM device menu's calibration entries: edit the stored calibration, or
// take a new one at two duty points.
void EditPwmCalibration(AppState& s);
void PwmCalibrationProcedure(AppState& s);

}  // namespace quillon
