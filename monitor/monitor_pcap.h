#pragma once

#include <string>

#include "monitor/monitor_ring.h"

namespace quillon {

// The monitor's frames as a capture file that network analysers read: each
// HART frame as a HART-IP token-passing message over UDP between two fixed
// loopback addresses (the tool 127.0.0.1, the device 127.0.0.2 on port 5094),
// whichever link carried it. Frames of the modem and the flow computer are
// wrapped with sequence numbers of their own (an answer carries its
// request's); HART-IP messages go as they were sent and received.
std::string MonitorPcap(const MonitorRing& entries);

// Writes MonitorPcap to `path`, replacing the file whole. False with `error` set.
bool SaveMonitorPcap(const MonitorRing& entries, const std::string& path, std::string& error);

}  // namespace quillon
