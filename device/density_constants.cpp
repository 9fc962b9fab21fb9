#include "device/density_constants.h"

namespace quillon {

void DensityMeterConstantsCommand(AppState& s) { (void)s; }

}  // namespace quillon
