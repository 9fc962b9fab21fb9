#pragma once

#include "app/app_state.h"

namespace quillon {

// Menu command "Параметры измерений ..." (inside the port bracket).
void MeasurementParametersCommand(AppState& s);

}  // namespace quillon
