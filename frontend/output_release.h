#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "device/device_state.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// What came of releasing one held device: Done; NotPossible when it was fixed
// through another port or link than the present one; NoAnswer when the port
// would not open or the device did not answer (effect Unknown when a request
// went out); Interrupted; Refused with the device's code (kNoResponseCode:
// an answer that does not have the shape of a confirmation).
struct HoldRelease {
    std::array<std::uint8_t, 5> longAddress{};
    Outcome outcome;
};

// Releases everything the tool holds, each on the device that holds it: long
// frames to its long address, on the route it was fixed through (a device
// fixed through another route is not tried). No box is shown; what was
// released leaves the record, what was not stays held. One entry per held device.
std::vector<HoldRelease> ReleaseHeldOutputs(DeviceState& s);

// The outcome of the whole release: Done when every device was released (or
// nothing was held), else the first failure.
Outcome ReleaseOutcomeOf(const std::vector<HoldRelease>& results);

// The one message for what could not be released; empty when all was.
std::string ReleaseFailureText(const std::vector<HoldRelease>& results);
// That message in one error box; none when all was released.
Report ReleaseReport(const std::vector<HoldRelease>& results);

// Releases and shows the failures in one error box; true when all was released.
bool ReleaseHeldOutput(DeviceState& s);

}  // namespace quillon
