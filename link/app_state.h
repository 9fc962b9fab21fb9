#pragma once

#include "device/device_identity.h"
#include "link/clock.h"
#include "link/exchange_buffer.h"
#include "link/interrupt_flags.h"
#include "link/link_settings.h"
#include "link/port_state.h"
#include "link/serial_port.h"
#include "link/user_interface.h"

namespace quillon {

// The program-wide state: one instance for a run of the tool, passed by
// reference to every operation. Tests create as many as they like.
struct AppState {
    AppState(UserInterface& ui_, PortSystem& ports_, Clock& clock_) : ui(ui_), ports(ports_), clock(clock_) {}
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    UserInterface& ui;
    PortSystem& ports;
    Clock& clock;

    LinkSettings settings;
    PortState port;
    ExchangeBuffer buffer;
    AnswerFilter filter;
    InterruptFlags flags;
    DeviceIdentity identity;

    // The user's decimal separator, taken from the locale once at start-up.
    char decimalSeparator = '.';
    // Last value of the Modbus address read from the device.
    int modbusAddress = 0;
    // Value the fixed-output dialog offers next; identification resets it.
    double fixedOutputValue = 4.0;
};

}  // namespace quillon
