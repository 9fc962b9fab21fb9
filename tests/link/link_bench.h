#pragma once

#include <vector>

#include "app/app_state.h"
#include "link/fake_serial.h"
#include "link/serial_link.h"
#include "support/scripted_ui.h"

namespace quillon::testing {

// One tool state wired to a fake port "ttyFAKE" on a virtual clock, port open.
struct LinkBench {
    ScriptedUi ui;
    sim::VirtualClock clock;
    FakePortSystem ports{clock};
    AppState s{ui, ports, clock};
    FakeLine& line;

    LinkBench() : line(ports.lines["ttyFAKE"]) {
        s.port.performanceFrequency = clock.counterFrequency();
        ScanPorts(s);
        s.settings.portIndex = 1;
        OpenPort(s);
    }
};

// Appends the XOR check byte, computed here independently of the codec.
inline std::vector<std::uint8_t> WithCheckByte(std::vector<std::uint8_t> frame) {
    std::uint8_t x = 0;
    for (auto b : frame) x ^= b;
    frame.push_back(x);
    return frame;
}

}  // namespace quillon::testing
