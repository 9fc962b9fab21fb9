#pragma once

#include "device/device_identity.h"
#include "device/held_output.h"
#include "link/link_state.h"

namespace quillon {

// The device layer's share of the program-wide state: the link, and what the
// tool knows of the devices on it. Operations of this layer take only this;
// the layers above add their own state beside it, never inside.
struct DeviceState : LinkState {
    DeviceState(UserInterface& ui_, PortSystem& ports_, Clock& clock_) : LinkState(ui_, ports_, clock_, identity) {}

    DeviceIdentity identity;
    // Last value of the Modbus address read from the device.
    int modbusAddress = 0;
    // What the tool has made devices hold (fixed current, voltage or duty).
    HeldOutput heldOutput;
};

}  // namespace quillon
