#pragma once

#include "app/app_state.h"

namespace quillon {

// Menu command "Калибровка ..." (inside the port bracket).
void CalibrationCommand(AppState& s);

}  // namespace quillon
