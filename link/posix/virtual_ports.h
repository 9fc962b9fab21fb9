#pragma once

#include <string>

namespace quillon {

// The folder of virtual ports: symbolic links to pseudo-terminals served by
// the device simulator or by socat, offered to the user next to the real ports.
// $XDG_RUNTIME_DIR/quillon-ports, or /tmp/quillon-ports-<uid> without a
// runtime directory. QUILLON_PORTS_DIR overrides both; it exists for the tests
// and the simulator (parallel runs must not see each other's ports) and is not
// a user setting.
std::string VirtualPortsDirectory();

// Publishes `target` under `name` in the folder (created with mode 0700 when
// missing), replacing an older link of that name. Returns the link's path, or
// an empty string when the name is unusable or the folder cannot be written.
std::string RegisterVirtualPort(const std::string& name, const std::string& target);

// Removes a link made by RegisterVirtualPort; anything but a symbolic link is left alone.
void UnregisterVirtualPort(const std::string& path);

// Whether `directory` is fit to offer ports from: a real folder (not a link)
// owned by this user and writable by nobody else, so no other user can slip a
// port into the list.
bool VirtualPortsDirectoryTrusted(const std::string& directory);

}  // namespace quillon
