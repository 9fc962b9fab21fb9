#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/serial_port.h"

namespace quillon {

// The serial ports of this machine: hardware from sysfs as /dev/NAME, then the
// virtual ports folder.
class PosixPortSystem : public PortSystem {
public:
    PosixPortSystem() = default;
    // Other roots for the hardware scan, for tests on a made-up tree.
    PosixPortSystem(std::string ttyClassDir, std::string deviceDir)
        : ttyClassDir_(std::move(ttyClassDir)), deviceDir_(std::move(deviceDir)) {}

    std::vector<std::string> candidates() override;
    std::unique_ptr<SerialPort> open(const std::string& name, OpenError& error) override;

private:
    std::string ttyClassDir_ = "/sys/class/tty";
    std::string deviceDir_ = "/dev";
};

}  // namespace quillon
