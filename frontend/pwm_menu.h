#pragma once

#include "app/app_state.h"

namespace quillon {

// The PWM device's menu: shown again after each choice until Cancel.
void PwmDeviceMenu(AppState& s);

// The values at the ends of the PWM device's output range (settings 17, 18).
void PwmOutputRangeSettings(AppState& s);

}  // namespace quillon
