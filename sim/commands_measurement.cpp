#include "sim/command_sets.h"

namespace quillon::sim {

// Commands 114, 117 and 118: measurement parameters and density-meter constants.
void InstallMeasurementCommands(CommandTable& /*table*/) {}

}  // namespace quillon::sim
