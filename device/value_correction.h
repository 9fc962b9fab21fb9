#pragma once

#include "app/app_state.h"

namespace quillon {

// Menu command "Корректировка значения ..." (inside the port bracket).
void ValueCorrectionCommand(AppState& s);

}  // namespace quillon
