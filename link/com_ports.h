#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/serial_port.h"

namespace quillon {

// Highest COM number a port scan looks for.
inline constexpr int kMaxComNumber = 255;

// The number of a COM port name: "COM3", "com12" or the device path
// "\\.\COM12". Nothing for other names, "COM0", numbers above kMaxComNumber,
// leading zeros and anything after the digits.
std::optional<int> ComPortNumber(std::string_view name);

// "COM" + n: how a port is listed, stored and shown.
std::string ComPortName(int number);

// The path that opens a port of any number: "\\.\COM" + n. The bare name
// only works for COM1 to COM9.
std::string ComDevicePath(int number);

// COM names out of whatever the system listed (registry values, DOS device
// names), each port once, in the order of their numbers.
std::vector<std::string> OrderedComPorts(const std::vector<std::string>& listed);

// How a failure to open a COM port counts in a port scan: access denied (5)
// and general failure (31) mean the port is there but busy or faulty.
OpenFailure ClassifyComOpenError(std::uint32_t systemError);

}  // namespace quillon
