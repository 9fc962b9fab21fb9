#pragma once

#include <string>

#include "monitor/monitor_ring.h"

namespace quillon {

// Writes the entries, one line each, as UTF-8 text. The file is written under
// a temporary name beside the target and renamed into place, so a failure
// never leaves half a file. False with `error` set (the system's words).
bool SaveMonitorEntries(const MonitorRing& entries, const std::string& path, std::string& error);

}  // namespace quillon
