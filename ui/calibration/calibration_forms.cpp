#include "ui/calibration/calibration_window.h"
#include "ui/qt_user_interface.h"
#include "ui/registered_forms.h"

namespace quillon::ui {

// The forms of the calibration commands.
void RegisterCalibrationForms(QtUserInterface& ui) {
    ui.registerLiveView(LiveViewKind::Calibration, [](InterruptFlags* flags) { return new TCalibrovkaForm(flags); });
}

}  // namespace quillon::ui
