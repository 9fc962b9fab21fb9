#include "frontend/code_view.h"

namespace quillon {

void AdcCodeViewCommand(AppState& s) { (void)s; }

}  // namespace quillon
