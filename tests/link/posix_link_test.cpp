#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "app/app_state.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/posix/posix_port_system.h"
#include "link/posix/steady_clock.h"
#include "link/posix/virtual_ports.h"
#include "link/serial_link.h"
#include "posix_test_support.h"
#include "support/scripted_ui.h"

namespace quillon {
namespace {

using testing::PtyPair;
using testing::ScopedPortsDirectory;
using testing::ScriptedUi;

// The serial link on the real backend, a pseudo-terminal standing in for the
// modem. No hardware tree is scanned: opening the machine's own ports (a
// console among them) has no place in a test.
struct PtyLink {
    ScopedPortsDirectory folder;
    PtyPair pty;
    ScriptedUi ui;
    PosixPortSystem ports{folder.path() + "/no-sysfs", folder.path() + "/no-dev"};
    SteadyClock clock;
    AppState s{ui, ports, clock};
    std::string portPath = RegisterVirtualPort("devsim", pty.slavePath);

    PtyLink() {
        s.port.performanceFrequency = clock.counterFrequency();
        ScanPorts(s);
        s.settings.portIndex = 1;
    }
};

TEST(PosixSerialLink, ScanOffersLivePseudoTerminalsOnly) {
    PtyLink link;
    RegisterVirtualPort("stale", "/dev/pts/does-not-exist");
    ScanPorts(link.s);
    EXPECT_EQ(link.s.port.portList, (std::vector<std::string>{"", link.portPath}));
    EXPECT_EQ(PortDisplayName(link.portPath), "devsim");
}

TEST(PosixSerialLink, ExchangeWithADeviceOnAPseudoTerminal) {
    PtyLink link;
    link.s.settings.hartSpeedIndex = 0;  // 1200 baud, odd parity: the terminal drops the parity
    link.s.settings.shortAddress = 1;
    link.s.settings.masterAddress = 1;
    OpenPort(link.s);
    ASSERT_TRUE(PortIsOpen(link.s));
    EXPECT_TRUE(link.ui.messages.empty());

    // Command 1 answered with one data byte 0xFF: the byte the line discipline escapes.
    std::vector<std::uint8_t> answer{0x06, 0x81, 0x01, 0x03, 0x00, 0x00, 0xFF};
    answer.push_back(XorOf(answer.data(), answer.size()));
    std::vector<std::uint8_t> request;
    std::thread device([&] {
        request = link.pty.readMaster(9 + 5);
        // Answer only after the sender's wire time, when the tool listens.
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        link.pty.writeMaster(answer);
    });
    BuildShortRequest(link.s.buffer, 0x01);
    const int result = Exchange(link.s);
    device.join();

    ASSERT_EQ(request.size(), 14u);
    EXPECT_EQ(std::vector<std::uint8_t>(request.begin(), request.begin() + 9), std::vector<std::uint8_t>(9, 0xFF));
    EXPECT_EQ(request[9], 0x02);
    EXPECT_EQ(result, ExchangeOk);
    EXPECT_EQ(std::vector<std::uint8_t>(link.s.buffer.response.begin(), link.s.buffer.response.begin() + 8), answer);
    EXPECT_EQ(link.s.buffer.lineErrors, 0);
    // RTS falls after the frame's wire time. The bound only catches a wrong
    // unit; precision is the clock's own test, on an idle moment.
    EXPECT_GT(link.s.port.lastRtsLateness, 0);
    EXPECT_LT(link.s.port.lastRtsLateness, 50'000'000);
    ClosePort(link.s);
}

TEST(PosixSerialLink, APortThatVanishedBeforeOpeningIsReportedAndDeselected) {
    PtyLink link;
    UnregisterVirtualPort(link.portPath);
    OpenPort(link.s);
    EXPECT_FALSE(PortIsOpen(link.s));
    EXPECT_EQ(link.s.settings.portIndex, 0);
    ASSERT_EQ(link.ui.messages.size(), 1u);
    EXPECT_EQ(link.ui.messages[0].caption, "GetLastError");
    EXPECT_EQ(link.ui.messages[0].text, std::strerror(ENOENT));
}

}  // namespace
}  // namespace quillon
