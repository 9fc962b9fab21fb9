#pragma once

#include <optional>
#include <string>

#include "device/device_state.h"

namespace quillon {

// On a bench the transmitter at an address is often swapped while the tool
// stays open. A request to the old long address then goes unanswered, and
// the identity kept from before would steer every later command wrong. After
// such a silence the link raises `longFrameUnanswered`; this sends command 0
// once to the configured short address and compares the long address that
// answers. When another device answers there, the identity is dropped (the
// caller identifies anew) and the text to tell the engineer is returned.
// Nothing, when no request was due, nobody answered, or the same device did.
std::optional<std::string> CheckForSwappedDevice(DeviceState& s);

}  // namespace quillon
