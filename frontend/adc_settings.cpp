#include "frontend/adc_settings.h"

namespace quillon {

void AdcSettingsCommand(AppState& s) { (void)s; }

}  // namespace quillon
