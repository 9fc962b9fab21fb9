#pragma once

#include "app/app_state.h"

namespace quillon {

// Menu command "Параметры АЦП ..." (inside the port bracket).
void AdcSettingsCommand(AppState& s);

}  // namespace quillon
