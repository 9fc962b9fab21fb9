#include "sim/command_sets.h"

namespace quillon::sim {

// Commands 40 and 193-196: fixed current and the converter settings.
void InstallFrontendCommands(CommandTable& /*table*/) {}

}  // namespace quillon::sim
