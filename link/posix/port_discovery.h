#pragma once

#include <string>
#include <vector>

namespace quillon {

// Orders port names as people count: ttyUSB2 before ttyUSB10.
bool NaturalNameLess(const std::string& a, const std::string& b);

// Names of the terminals under `ttyClassDir` (normally /sys/class/tty) that
// are serial hardware: they have a parent device, or are Bluetooth serial
// links. Serial-core ports whose UART type is unknown are the kernel's
// placeholders for legacy addresses with nothing behind them and are left out;
// `deviceDir` is where their device files are probed when sysfs does not say.
std::vector<std::string> SerialHardwareNames(const std::string& ttyClassDir, const std::string& deviceDir);

// Paths of the entries of the virtual-ports folder, hidden names excepted.
// An untrusted folder (see VirtualPortsDirectoryTrusted) yields nothing.
std::vector<std::string> VirtualPortPaths(const std::string& directory);

}  // namespace quillon
