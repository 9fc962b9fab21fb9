#pragma once

#include <array>

#include "calibration/calibration_set.h"
#include "device/device_identity.h"
#include "device/held_output.h"
#include "link/link_state.h"

namespace quillon {

// The program-wide state: one instance for a run of the tool, passed by
// reference to every operation. Tests create as many as they like. The link's
// part is its base; each subsystem above the link adds its own members here.
struct AppState : LinkState {
    AppState(UserInterface& ui_, PortSystem& ports_, Clock& clock_) : LinkState(ui_, ports_, clock_, identity) {}

    DeviceIdentity identity;
    CalibrationSet calibration;

    // Last value of the Modbus address read from the device.
    int modbusAddress = 0;
    // Value the fixed-output dialog offers next; identification resets it.
    double lastFixedOutput = 4.0;
    // What the tool has made the device hold (fixed current, voltage or duty).
    HeldOutput heldOutput;
    // The PWM calibration procedure's duties and outputs of its two points.
    std::array<float, 2> pwmPointDuty{0.1f, 0.8f};
    std::array<float, 2> pwmPointOutput{4.0f, 20.0f};
};

}  // namespace quillon
