#pragma once

#include "device/device_state.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// Menu command "Изменить Modbus-адрес": reads setting 3, lets the user choose
// a new address 1-247 and writes it. Runs inside the caller's port bracket.
void ChangeModbusAddrCommand(DeviceState& s);

inline constexpr int kMinModbusAddress = 1;
inline constexpr int kMaxModbusAddress = 247;

// Reads the Modbus address (setting 3). Done: the address, also kept in
// `modbusAddress`. NotPossible before any request on a variant without one
// or a device of another maker.
Result<int> ReadModbusAddress(DeviceState& s);
Report ModbusAddressReadReport(const Outcome& o);
// Writes the address; InputRefused outside 1-247. Done: kept in `modbusAddress`.
Outcome WriteModbusAddress(DeviceState& s, int address, const AskRepeatOnLock& askRepeat);
// No box when done: the dialog showed the address.
Report ModbusAddressWriteReport(const Outcome& o);

}  // namespace quillon
