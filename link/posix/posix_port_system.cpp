#include "link/posix/posix_port_system.h"

#include <cerrno>

#include "link/posix/errno_text.h"
#include "link/posix/port_discovery.h"
#include "link/posix/posix_serial_port.h"
#include "link/posix/virtual_ports.h"

namespace quillon {

OpenFailure ClassifyOpenError(int error) {
    switch (error) {
        case 0: return OpenFailure::None;
        // ENOENT also covers a virtual port whose link points at a vanished pseudo-terminal.
        case ENOENT:
        case ENODEV:
        case ENXIO: return OpenFailure::NotFound;
        case EACCES:
        case EBUSY:
        case EPERM: return OpenFailure::Busy;
        default: return OpenFailure::Faulty;
    }
}

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
    error.kind = ClassifyOpenError(errnoValue);
    error.text = ErrnoText(errnoValue);
    return nullptr;
}

}  // namespace quillon
