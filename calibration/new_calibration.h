#pragma once

#include "app/app_state.h"

namespace quillon {

// "Начать новую калибровку": a new calibration taken point by point.
void NewCalibration(AppState& s);

}  // namespace quillon
