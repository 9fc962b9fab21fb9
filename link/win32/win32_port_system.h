#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/serial_port.h"

namespace quillon {

// The COM ports of this machine, as the system lists them: the serial-port
// map in the registry, completed by the DOS device names (ports that some
// drivers and emulators create without a registry entry).
class Win32PortSystem : public PortSystem {
public:
    std::vector<std::string> candidates() override;
    // `name` is "COM" + number; any other name is not found.
    std::unique_ptr<SerialPort> open(const std::string& name, OpenError& error) override;
};

}  // namespace quillon
