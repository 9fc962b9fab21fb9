#include "ui/device_settings/correction_forms.h"
#include "ui/device_settings/density_constants_form.h"
#include "ui/device_settings/meas_params_forms.h"
#include "ui/qt_user_interface.h"
#include "ui/registered_forms.h"

namespace quillon::ui {

// The forms of the device settings commands.
void RegisterDeviceSettingsForms(QtUserInterface& ui) {
    ui.registerForm<TMeasParamsForm, MeasParamsDialog>();
    ui.registerForm<TMeasParamsMultitForm, MeasParamsMultitDialog>();
    ui.registerForm<TKatPotParamsForm, KatPotParamsDialog>();
    ui.registerForm<TChangeMeasParamsForm, ChangeMeasParamsDialog>();
    ui.registerForm<TGetPopravkaForm, PopravkaDialog>();
    ui.registerForm<TPodborCoefForm, PodborCoefDialog>();
    ui.registerForm<TPlotnoConstForm, PlotnoConstDialog>();
}

}  // namespace quillon::ui
