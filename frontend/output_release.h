#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/app_state.h"

namespace quillon {

enum class ReleaseOutcome {
    Released,
    Unreachable,  // fixed through another port or link than the present one
    NoAnswer,     // the port would not open, or the device did not answer
    Aborted,      // the user stopped the exchange
    Refused,      // the device answered with an error response code
};

struct HoldRelease {
    std::array<std::uint8_t, 5> longAddress{};
    ReleaseOutcome outcome = ReleaseOutcome::Released;
    std::uint8_t responseCode = 0;  // of a refusal
};

// Releases everything the tool holds, each on the device that holds it: long
// frames to its long address, on the route it was fixed through (a device
// fixed through another route is not tried). No box is shown; what was
// released leaves the record. One entry per held device.
std::vector<HoldRelease> ReleaseHeldOutputs(AppState& s);

// The one message for what could not be released; empty when all was.
std::string ReleaseFailureText(const std::vector<HoldRelease>& results);

// Releases and shows the failures in one error box; true when all was released.
bool ReleaseHeldOutput(AppState& s);

}  // namespace quillon
