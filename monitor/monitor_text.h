#pragma once

#include <string>

#include "monitor/monitor_entry.h"

namespace quillon {

// Time since the monitor started, in milliseconds with three decimals.
std::string EntryTimeText(const MonitorEntry& entry);
// "→" to the device, "←" from it, "•" for an event.
std::string EntryDirectionText(const MonitorEntry& entry);
// What the entry means: the decoded frame, or the event in words.
std::string EntryDecodedText(const MonitorEntry& entry);
// The bytes in hex; the flow computer's credentials show as "**".
std::string EntryRawText(const MonitorEntry& entry);
// One line of the saved file: time, direction, port, decoded form, raw form.
std::string EntryLine(const MonitorEntry& entry);

}  // namespace quillon
