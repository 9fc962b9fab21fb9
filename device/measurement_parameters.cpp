#include "device/measurement_parameters.h"

namespace quillon {

void MeasurementParametersCommand(AppState& s) { (void)s; }

}  // namespace quillon
