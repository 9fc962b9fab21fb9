#include "frontend/fixed_output.h"

namespace quillon {

void FixCurrentMenuCommand(AppState& s) { (void)s; }

}  // namespace quillon
