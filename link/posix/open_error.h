#pragma once

#include <optional>
#include <string>

#include "link/serial_port.h"

namespace quillon {

// Who may open a device file besides root: the owning group, and whether the
// file's mode lets that group read and write it.
struct DeviceAccess {
    std::string path;   // the device file itself, with links resolved
    std::string group;  // the group's name, or its number when it has none
    bool groupMayOpen = false;
};

// Nothing when the file cannot be looked at (it vanished in between).
std::optional<DeviceAccess> ReadDeviceAccess(const std::string& path);

// How an errno from opening a port is shown to the port scan.
OpenFailure ClassifyOpenError(int error);

// What the user is told when `path` refused this user: the device file, the
// group that may open it and how to join that group. Without `access` the
// device file could not be looked at and only `path` is named.
std::string AccessDeniedText(const std::string& path, const std::optional<DeviceAccess>& access);

// The kind and the text of a failed open of `path` with `error`.
OpenError DescribeOpenError(int error, const std::string& path);

}  // namespace quillon
