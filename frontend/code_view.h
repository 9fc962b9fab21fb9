#pragma once

#include "app/app_state.h"

namespace quillon {

// Menu command "Просмотр кода АЦП" (inside the port bracket).
void AdcCodeViewCommand(AppState& s);

}  // namespace quillon
