#include "ui/frontend/adc_settings_forms.h"
#include "ui/frontend/get_channel_form.h"
#include "ui/qt_user_interface.h"
#include "ui/registered_forms.h"

namespace quillon::ui {

// The forms of the analog front-end commands.
void RegisterFrontendForms(QtUserInterface& ui) {
    ui.registerForm<TGetChannelForm, MeasuringChannelDialog>();
    ui.registerForm<TVelkorADForm, VelkorAdcDialog>();
    ui.registerForm<TUnitsMeasureForm, UnitsMeasureDialog>();
    ui.registerForm<TIValueForm, CurrentToValueDialog>();
}

}  // namespace quillon::ui
