#pragma once

#include <map>

#include "sim/sim_device.h"

namespace quillon::sim {

using CommandTable = std::map<std::uint8_t, SimDevice::Handler>;

void InstallUniversalCommands(CommandTable& table);  // 0, 1, 3, 6, 19, 20, 59, 110, 119
void InstallStoreCommands(CommandTable& table);      // 176, 177, 190, 191, 192
void InstallSensorCommands(CommandTable& table);     // 220, 221, 222

inline HartReply Code(std::uint8_t responseCode) { return HartReply{responseCode, {}}; }

}  // namespace quillon::sim
