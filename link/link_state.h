#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/clock.h"
#include "link/exchange_buffer.h"
#include "link/frame_tap.h"
#include "link/interrupt_flags.h"
#include "link/link_settings.h"
#include "link/link_target.h"
#include "link/port_state.h"
#include "link/serial_port.h"
#include "link/user_interface.h"

namespace quillon {

struct HartIpSession;

// The link's share of the program-wide state: everything an exchange, the
// port bracket, the settings file and the link dialog touch. The program-wide
// state extends it, so link code never sees the subsystems above it.
struct LinkState {
    LinkState(UserInterface& ui_, PortSystem& ports_, Clock& clock_, LinkTarget& target_)
        : ui(ui_), ports(ports_), clock(clock_), target(target_) {}
    LinkState(const LinkState&) = delete;
    LinkState& operator=(const LinkState&) = delete;

    UserInterface& ui;
    PortSystem& ports;
    Clock& clock;
    // The identified device (part of the device identity of the whole state).
    LinkTarget& target;

    LinkSettings settings;
    PortState port;
    ExchangeBuffer buffer;
    AnswerFilter filter;
    InterruptFlags flags;

    // Why the link itself ended the last exchange (no port, a connection the
    // server reset, a wrong tunnel password), in the link's own words; empty
    // when it ended otherwise. Cleared as each exchange starts.
    std::string linkFailure;

    // Requests that went out on the link in this run (keep-alives and session
    // messages not counted): an operation that sent a write and lost its
    // answer knows from this that the device may have taken it.
    std::uint64_t requestsSent = 0;

    // A request to the long address went unanswered: the device at that
    // address may have been swapped on the bench, so the device layer checks
    // once with command 0 before it trusts the identity again.
    bool longFrameUnanswered = false;

    // The user's decimal separator, taken from the locale once at start-up.
    char decimalSeparator = '.';

    // Observer of the wire (the frame monitor); null when nothing watches.
    FrameTap* tap = nullptr;

    // The open HART-IP session, if any; it outlives commands and is closed
    // when the state goes (see hart_ip_link.h).
    std::shared_ptr<HartIpSession> hartIp;
};

}  // namespace quillon
