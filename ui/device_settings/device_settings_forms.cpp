#include "ui/qt_user_interface.h"
#include "ui/registered_forms.h"

namespace quillon::ui {

// The forms of the device settings commands.
void RegisterDeviceSettingsForms(QtUserInterface& /*ui*/) {}

}  // namespace quillon::ui
