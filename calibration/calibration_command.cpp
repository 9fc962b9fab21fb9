#include "calibration/calibration_command.h"

namespace quillon {

void CalibrationCommand(AppState& s) { (void)s; }

}  // namespace quillon
