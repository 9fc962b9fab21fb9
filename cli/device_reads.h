#pragma once

#include <string>
#include <vector>

#include "cli/session.h"
#include "device/loop_scan.h"
#include "link/outcome.h"

namespace quillon::cli {

// The devices answering on addresses 0 to `highest`; the link must be open.
// The scan keeps its own attempts per address, whatever --attempts says.
std::vector<LoopScanRow> ScanLine(Session& x, int highest);

// With --long-address or --tag: finds the device on the line and makes its
// short address the one used. False after the reason was printed.
bool SelectAddressedDevice(Session& x);

// "«text» не является числом."
std::string NotNumberText(const std::string& text);

}  // namespace quillon::cli
