#pragma once

namespace quillon::ui {

class QtUserInterface;

// Each subsystem's forms register here with the Qt side of the user-interface
// port: named dialog records and the windows of its long loops. One function
// per subsystem, each in that subsystem's folder under ui/.
void RegisterCalibrationForms(QtUserInterface& ui);     // ui/calibration/
void RegisterFrontendForms(QtUserInterface& ui);        // ui/frontend/
void RegisterDeviceSettingsForms(QtUserInterface& ui);  // ui/device_settings/

}  // namespace quillon::ui
