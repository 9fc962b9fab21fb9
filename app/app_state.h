#pragma once

#include "calibration/calibration_set.h"
#include "device/device_state.h"
#include "frontend/frontend_state.h"

namespace quillon {

// The program-wide state: one instance for a run of the tool. Each layer's
// share is its own type; operations take only the share they use, and only
// the program's faces (windows, command line) and tests see the whole.
struct AppState : DeviceState {
    AppState(UserInterface& ui_, PortSystem& ports_, Clock& clock_) : DeviceState(ui_, ports_, clock_) {}

    CalibrationSet calibration;
    FrontendState frontend;
};

}  // namespace quillon
