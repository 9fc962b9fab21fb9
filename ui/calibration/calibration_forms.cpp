#include "ui/qt_user_interface.h"
#include "ui/registered_forms.h"

namespace quillon::ui {

// The forms of the calibration commands.
void RegisterCalibrationForms(QtUserInterface& /*ui*/) {}

}  // namespace quillon::ui
