#pragma once

#include "app/app_state.h"

namespace quillon {

// Menu command "Параметры ЦАП ..." (inside the port bracket).
void DacSettingsCommand(AppState& s);

}  // namespace quillon
