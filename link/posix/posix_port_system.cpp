#include "link/posix/posix_port_system.h"

#include "link/posix/open_error.h"
#include "link/posix/port_discovery.h"
#include "link/posix/posix_serial_port.h"
#include "link/posix/virtual_ports.h"

namespace quillon {

std::vector<std::string> PosixPortSystem::candidates() {
    std::vector<std::string> names;
    for (const auto& name : SerialHardwareNames(ttyClassDir_, deviceDir_)) names.push_back(deviceDir_ + "/" + name);
    for (auto& path : VirtualPortPaths(VirtualPortsDirectory())) names.push_back(std::move(path));
    return names;
}

std::unique_ptr<SerialPort> PosixPortSystem::open(const std::string& name, OpenError& error) {
    int errnoValue = 0;
    auto port = PosixSerialPort::Open(name, errnoValue);
    if (port) {
        error = {};
        return port;
    }
    error = DescribeOpenError(errnoValue, name);
    return nullptr;
}

}  // namespace quillon
