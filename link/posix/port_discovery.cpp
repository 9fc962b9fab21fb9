#include "link/posix/port_discovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>

#include "link/posix/uart_info.h"
#include "link/posix/virtual_ports.h"

namespace quillon {

namespace {

std::vector<std::string> DirectoryEntries(const std::string& directory) {
    std::vector<std::string> names;
    DIR* dir = opendir(directory.c_str());
    if (!dir) return names;
    while (const dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (!name.empty() && name.front() != '.') names.push_back(std::move(name));
    }
    closedir(dir);
    return names;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

UartPresence PresenceFromSysfs(const std::string& entryDir) {
    std::ifstream typeFile(entryDir + "/type");
    long type = -1;
    if (!(typeFile >> type)) return UartPresence::Unknown;
    return type == 0 ? UartPresence::Absent : UartPresence::Present;
}

UartPresence PresenceFromDevice(const std::string& devicePath) {
    const int fd = open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // Placeholders without a UART refuse to open with these errors.
        return errno == ENXIO || errno == ENODEV || errno == EIO ? UartPresence::Absent : UartPresence::Unknown;
    }
    const UartPresence presence = ProbeUart(fd);
    close(fd);
    return presence;
}

}  // namespace

bool NaturalNameLess(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            std::size_t ei = i;
            std::size_t ej = j;
            while (ei < a.size() && IsDigit(a[ei])) ++ei;
            while (ej < b.size() && IsDigit(b[ej])) ++ej;
            // Compare the numbers by value without converting (they may be long).
            std::size_t si = i;
            std::size_t sj = j;
            while (si + 1 < ei && a[si] == '0') ++si;
            while (sj + 1 < ej && b[sj] == '0') ++sj;
            if (ei - si != ej - sj) return ei - si < ej - sj;
            const int order = a.compare(si, ei - si, b, sj, ej - sj);
            if (order != 0) return order < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j)) return a.size() - i < b.size() - j;
    return a < b;  // equal by value ("ttyS01" vs "ttyS1"): any fixed order
}

std::vector<std::string> SerialHardwareNames(const std::string& ttyClassDir, const std::string& deviceDir) {
    std::vector<std::string> names;
    for (auto& name : DirectoryEntries(ttyClassDir)) {
        const std::string entryDir = ttyClassDir + "/" + name;
        if (!Exists(entryDir + "/device") && !StartsWith(name, "rfcomm")) continue;
        UartPresence presence = PresenceFromSysfs(entryDir);
        if (presence == UartPresence::Unknown && StartsWith(name, "ttyS"))
            presence = PresenceFromDevice(deviceDir + "/" + name);
        if (presence == UartPresence::Absent) continue;
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), NaturalNameLess);
    return names;
}

std::vector<std::string> VirtualPortPaths(const std::string& directory) {
    std::vector<std::string> paths;
    if (!VirtualPortsDirectoryTrusted(directory)) return paths;
    auto names = DirectoryEntries(directory);
    std::sort(names.begin(), names.end(), NaturalNameLess);
    for (const auto& name : names) paths.push_back(directory + "/" + name);
    return paths;
}

}  // namespace quillon
