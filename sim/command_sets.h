#pragma once

#include <map>

#include "sim/sim_device.h"

namespace quillon::sim {

using CommandTable = std::map<std::uint8_t, SimDevice::Handler>;

void InstallUniversalCommands(CommandTable& table);         // 0, 1, 3, 6, 19, 20, 59, 110, 119
void InstallStoreCommands(CommandTable& table);             // 176, 177, 190, 191, 192
void InstallSensorCommands(CommandTable& table);            // 220, 221, 222
void InstallLiveReadingCommands(CommandTable& table);       // 113
void InstallCalibrationReadCommands(CommandTable& table);   // 116, 181, 81
void InstallCalibrationWriteCommands(CommandTable& table);  // 115, 182, 82
void InstallFrontendCommands(CommandTable& table);          // 40, 193-196
void InstallPwmCommands(CommandTable& table);               // the PWM device's own
void InstallMeasurementCommands(CommandTable& table);       // 114, 117, 118
void InstallOutputCommands(CommandTable& table);            // 40

inline HartReply Code(std::uint8_t responseCode) { return HartReply{responseCode, {}}; }

}  // namespace quillon::sim
