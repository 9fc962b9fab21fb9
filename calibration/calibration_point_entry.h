#pragma once

#include <string>

#include "app/app_state.h"

namespace quillon {

inline constexpr int kPointContinue = 0;  // measure on (edit mode: cancelled)
inline constexpr int kPointAccepted = 1;  // the point is in the list
inline constexpr int kPointStop = 2;      // abandon the calibration

// TGetCalibrPointForm: asks for one calibration point, prefilled with the two
// texts, validates it and inserts it into the list of the device's form.
int EnterCalibrationPoint(AppState& s, const std::string& first, const std::string& second, bool editMode);

}  // namespace quillon
