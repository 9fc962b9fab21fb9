#pragma once

#include <string>

#include "calibration/calibration_set.h"
#include "device/device_state.h"

namespace quillon {

// TGetPointsForm.
struct PointCountDialog {
    static constexpr const char* kDialogName = "PointCountDialog";
    std::string caption = "Ввод количества точек";
    std::string label;  // "Введите количество точек (min-max):"
    std::string text;   // the edit, starts with min
};

// How many points a new calibration takes, min..max; 0 when cancelled.
int AskPointCount(DeviceState& s, int min, int max);

}  // namespace quillon
