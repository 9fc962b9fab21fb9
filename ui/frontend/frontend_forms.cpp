#include "ui/calibration/calibration_window.h"
#include "ui/frontend/adc_settings_forms.h"
#include "ui/frontend/dac_form.h"
#include "ui/frontend/dac_scaling_form.h"
#include "ui/frontend/fixed_output_form.h"
#include "ui/frontend/get_channel_form.h"
#include "ui/frontend/pwm_forms.h"
#include "ui/frontend/select_pwm_doings_form.h"
#include "ui/frontend/show_code_form.h"
#include "ui/qt_user_interface.h"
#include "ui/registered_forms.h"
#include "frontend/menu_items.h"

namespace quillon::ui {

// The forms of the analog front-end commands.
void RegisterFrontendForms(QtUserInterface& ui) {
    ui.registerForm<TGetChannelForm, MeasuringChannelDialog>();
    ui.registerForm<TDACKatPotForm, DacScalingDialog>();
    ui.registerForm<TDACForm, DacRecordDialog>();
    ui.registerForm<TSelectPWMDoingsForm, PwmMenuDialog>();
    ui.registerForm<TFixTokForm, FixTokDialog>();
    ui.registerForm<TPWMForm, PwmDutyDialog>();
    ui.registerForm<TPWMPointForm, PwmPointDialog>();
    ui.registerForm<TShowPWMCalibrForm, PwmCalibrationDialog>();
    ui.registerForm<TVelkorADForm, VelkorAdcDialog>();
    ui.registerForm<TUnitsMeasureForm, UnitsMeasureDialog>();
    ui.registerForm<TIValueForm, CurrentToValueDialog>();
    ui.registerLiveView(live_view::CodeView, [](InterruptFlags* flags) { return new TShowCodeForm(flags); });
    // The PWM calibration measures in the calibration's own measuring window.
    ui.registerLiveView(live_view::PwmMeasurement, [](InterruptFlags* flags) { return new TCalibrovkaForm(flags); });
}

}  // namespace quillon::ui
