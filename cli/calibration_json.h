#pragma once

#include <nlohmann/json.hpp>

#include "calibration/calibration_form.h"
#include "calibration/calibration_set.h"

namespace quillon::cli {

// A calibration as one JSON object: its form, whether it is enabled, the
// sensor id, every point with its numbers, and the extra point of the
// segment devices that keep one.
nlohmann::json CalibrationJson(const CalibrationSet& set, CalibrationList form);

}  // namespace quillon::cli
