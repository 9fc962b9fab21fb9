#include "device/value_correction.h"

namespace quillon {

void ValueCorrectionCommand(AppState& s) { (void)s; }

}  // namespace quillon
