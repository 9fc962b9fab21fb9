#include "frontend/dac_settings.h"

namespace quillon {

void DacSettingsCommand(AppState& s) { (void)s; }

}  // namespace quillon
