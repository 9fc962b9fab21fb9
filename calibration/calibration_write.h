#pragma once

#include "app/app_state.h"

namespace quillon {

// Sending the calibration in memory to the connected device, in the form that
// device uses. Each reports its outcome in message boxes.
void WriteSegments(AppState& s, bool withExtraPoint);
void WriteCodePoints(AppState& s);
void WriteTemperaturePairs(AppState& s);

// "Редактировать точку" on a code-point list: true when a point was accepted.
bool EditCalibrationPoint(AppState& s, int index);

}  // namespace quillon
