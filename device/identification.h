#pragma once

#include "device/device_state.h"
#include "device/dialogs.h"

namespace quillon {

// True when the device on the configured link is identified; identifies it
// (command 0 and the follow-up reads) when it is not, and shows the identity.
// False means the calling command stops: the reason was already shown.
bool ensureIdentified(DeviceState& s);

// Forces the next ensureIdentified to identify again.
void invalidateIdentity(DeviceState& s);

// The identification exchange alone, without the progress window and the
// identity window around it. Sets `identified` on success.
bool runIdentificationExchange(DeviceState& s);

// Fills the identity window TLongAddrForm from the identified device.
void FillIdentityWindow(const DeviceIdentity& id, IdentityWindow& window);

}  // namespace quillon
