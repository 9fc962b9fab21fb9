#pragma once

#include "device/device_state.h"
#include "device/dialogs.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// True when the device on the configured link is identified; identifies it
// (command 0 and the follow-up reads) when it is not, and shows the identity.
// False means the calling command stops: the reason was already shown.
bool ensureIdentified(DeviceState& s);

// Forces the next ensureIdentified to identify again.
void invalidateIdentity(DeviceState& s);

// Identifies the device on the configured link: command 0, and for this
// maker's devices the follow-up reads (short address where none was entered,
// sensor identifier, channel configuration). Done: the identity, also kept in
// `s.identity` with `identified` set. NoAnswer or Interrupted: command 0 got
// no whole answer. A channel configuration that cannot be read fails it with
// that read's outcome and `field` = kChannelConfigurationStep. What the
// engineer is told on the way (the long address, the short address found,
// the sensor identifier...) is added to `notes`, in order. Runs inside the
// caller's port bracket and progress window.
Result<DeviceIdentity> Identify(DeviceState& s, Report* notes = nullptr);
inline constexpr const char* kChannelConfigurationStep = "channel configuration";
// The box of a failed identification; none when it was done.
Report IdentificationReport(const Outcome& o);

// The windows' identification exchange: Identify, then the main window's
// menus and status bar, the notes and the failure. True when identified.
bool runIdentificationExchange(DeviceState& s);

// Fills the identity window TLongAddrForm from the identified device.
void FillIdentityWindow(const DeviceIdentity& id, IdentityWindow& window);

}  // namespace quillon
