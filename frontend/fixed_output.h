#pragma once

#include "app/app_state.h"

namespace quillon {

// Menu command "Фиксировать ток ..." (inside the port bracket).
void FixCurrentMenuCommand(AppState& s);

}  // namespace quillon
