#include "frontend/pwm_calibration.h"

namespace quillon {

void EditPwmCalibration(AppState& s) { (void)s; }
void PwmCalibrationProcedure(AppState& s) { (void)s; }

}  // namespace quillon
