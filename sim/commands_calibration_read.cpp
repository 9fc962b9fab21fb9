#include "sim/command_sets.h"

namespace quillon::sim {

// Commands 116, 181 and 81: the calibration read back.
void InstallCalibrationReadCommands(CommandTable& /*table*/) {}

}  // namespace quillon::sim
