#include "sim/command_sets.h"

namespace quillon::sim {

void InstallCommands(CommandTable& table) {
    InstallUniversalCommands(table);
    InstallStoreCommands(table);
    InstallSensorCommands(table);
    InstallLiveReadingCommands(table);
    InstallCalibrationReadCommands(table);
    InstallCalibrationWriteCommands(table);
    InstallFrontendCommands(table);
    InstallPwmCommands(table);
    InstallMeasurementCommands(table);
    InstallOutputCommands(table);
}

bool IsWriteCommand(std::uint8_t command) {
    switch (command) {
        case 6:
        case 19:
        case 22:
        case 59:
        case 82:
        case 114:
        case 115:
        case 119:
        case 177:
        case 182:
        case 190:
        case 194:
        case 196:
        case 221: return true;
        default: return false;
    }
}

}  // namespace quillon::sim
