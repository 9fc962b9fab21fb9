#pragma once

#include "device/device_state.h"

namespace quillon {

// Menu command "Изменить Modbus-адрес": reads setting 3, lets the user choose
// a new address 1-247 and writes it. Runs inside the caller's port bracket.
void ChangeModbusAddrCommand(DeviceState& s);

inline constexpr int kMinModbusAddress = 1;
inline constexpr int kMaxModbusAddress = 247;

}  // namespace quillon
