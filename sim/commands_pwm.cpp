#include "sim/command_sets.h"

namespace quillon::sim {

// Commands the PWM device's own settings and feedback.
void InstallPwmCommands(CommandTable& /*table*/) {}

}  // namespace quillon::sim
