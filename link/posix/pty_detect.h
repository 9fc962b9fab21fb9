#pragma once

#include <string_view>

namespace quillon {

// True when `driversTable` (the text of /proc/tty/drivers) lists a
// pseudo-terminal driver that owns character device major:minor.
bool DriversTableMarksPty(std::string_view driversTable, unsigned major, unsigned minor);

// Whether the open terminal `fd` is a pseudo-terminal. These cannot hold
// parity and have no modem-control lines, and the port must accept that.
bool IsPseudoTerminal(int fd);

}  // namespace quillon
