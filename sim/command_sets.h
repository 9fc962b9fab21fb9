#pragma once

#include <map>
#include <string_view>
#include <vector>

#include "sim/sim_device.h"

namespace quillon::sim {

using CommandTable = std::map<std::uint8_t, SimDevice::Handler>;

// HART packed ASCII of `characters` characters (a multiple of 4): upper case,
// six bits each, padded with spaces.
std::vector<std::uint8_t> PackedAscii(std::string_view text, std::size_t characters);

void InstallUniversalCommands(CommandTable& table);         // 0, 1, 3, 6, 13, 19, 20, 22, 59, 110, 119
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
