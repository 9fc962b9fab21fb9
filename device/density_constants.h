#pragma once

#include "app/app_state.h"

namespace quillon {

// Menu command "Константа для плотномера ..." (inside the port bracket).
void DensityMeterConstantsCommand(AppState& s);

}  // namespace quillon
