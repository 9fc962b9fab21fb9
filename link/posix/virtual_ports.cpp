#include "link/posix/virtual_ports.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace quillon {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string{};
}

bool UsableName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos && name.front() != '.';
}

}  // namespace

std::string VirtualPortsDirectory() {
    if (std::string overridden = Environment("QUILLON_PORTS_DIR"); !overridden.empty()) return overridden;
    if (std::string runtime = Environment("XDG_RUNTIME_DIR"); !runtime.empty()) return runtime + "/quillon-ports";
    return "/tmp/quillon-ports-" + std::to_string(getuid());
}

bool VirtualPortsDirectoryTrusted(const std::string& directory) {
    struct stat st {};
    if (lstat(directory.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == getuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string RegisterVirtualPort(const std::string& name, const std::string& target) {
    if (!UsableName(name) || target.empty()) return {};
    const std::string directory = VirtualPortsDirectory();
    if (mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) return {};
    // In /tmp another user may have created the folder first.
    if (!VirtualPortsDirectoryTrusted(directory)) return {};
    const std::string path = directory + "/" + name;
    // A link under a hidden name renamed into place: a scan never sees the
    // port half-replaced, and a stale link of the same name is overwritten.
    const std::string temporary = directory + "/." + name + "." + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0) return {};
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return {};
    }
    return path;
}

void UnregisterVirtualPort(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) unlink(path.c_str());
}

}  // namespace quillon
