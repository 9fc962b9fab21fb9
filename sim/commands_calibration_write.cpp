#include "sim/command_sets.h"

namespace quillon::sim {

// Commands 115, 182 and 82: a calibration written.
void InstallCalibrationWriteCommands(CommandTable& /*table*/) {}

}  // namespace quillon::sim
