#pragma once

#include "app/app_state.h"

namespace quillon {

// "Вычитать из датчика": reads the device's calibration in its form and shows it.
void ReadCalibration(AppState& s);

// The three read protocols; each fills its list and opens the view. The
// segment and code-point reads empty their list when reading fails.
void ReadSegments(AppState& s);
void ReadCodePoints(AppState& s);
void ReadTemperaturePairs(AppState& s);

}  // namespace quillon
