#include "link/win32/win32_port_system.h"

#include <windows.h>

#include "link/com_ports.h"
#include "link/win32/system_error_text.h"
#include "link/win32/win32_serial_port.h"

namespace quillon {

namespace {

// Values of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM: device name = "COMn".
std::vector<std::string> RegistryComNames() {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        char valueName[256];
        DWORD valueNameSize = sizeof valueName;
        char data[64];
        DWORD dataSize = sizeof data - 1;
        DWORD type = 0;
        const LONG result =
            RegEnumValueA(key, i, valueName, &valueNameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS || type != REG_SZ) continue;
        data[dataSize] = '\0';
        names.emplace_back(data);
    }
    RegCloseKey(key);
    return names;
}

// Every DOS device name, of which the COM ports are kept by the caller.
std::vector<std::string> DosDeviceNames() {
    std::vector<std::string> names;
    std::string buffer(64 * 1024, '\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD n = QueryDosDeviceA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n != 0) {
            buffer.resize(n);
            break;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return names;
        buffer.assign(buffer.size() * 4, '\0');
    }
    for (std::size_t at = 0; at < buffer.size();) {
        const std::size_t end = buffer.find('\0', at);
        if (end == at || end == std::string::npos) break;
        names.push_back(buffer.substr(at, end - at));
        at = end + 1;
    }
    return names;
}

}  // namespace

std::vector<std::string> Win32PortSystem::candidates() {
    std::vector<std::string> listed = RegistryComNames();
    for (auto& name : DosDeviceNames()) listed.push_back(std::move(name));
    return OrderedComPorts(listed);
}

std::unique_ptr<SerialPort> Win32PortSystem::open(const std::string& name, OpenError& error) {
    const auto number = ComPortNumber(name);
    std::uint32_t systemError = ERROR_FILE_NOT_FOUND;
    if (number) {
        if (auto port = Win32SerialPort::Open(*number, systemError)) {
            error = {};
            return port;
        }
    }
    error.kind = ClassifyComOpenError(systemError);
    error.text = SystemErrorText(systemError);
    return nullptr;
}

}  // namespace quillon
