#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_state.h"
#include "device/loop_scan.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/posix/posix_port_system.h"
#include "link/posix/steady_clock.h"
#include "link/serial_link.h"
#include "support/devsim_process.h"
#include "support/scripted_ui.h"

namespace quillon {
namespace {

using testing::DevsimProcess;

struct RealLink {
    testing::ScriptedUi ui;
    SteadyClock clock;
    PosixPortSystem ports{"/nonexistent", "/dev"};  // only the virtual folder
    AppState state{ui, ports, clock};

    RealLink(const std::string& portPath, const std::array<std::uint8_t, 5>& longAddress) {
        state.port.performanceFrequency = clock.counterFrequency();
        state.port.portList = {"", portPath};
        state.settings.portIndex = 1;
        state.identity.longAddress = longAddress;
        OpenPort(state);
    }
};

TEST(DevsimProcess, ServesAPseudoTerminalUntilTerminated) {
    DevsimProcess sim({"--preset", "rev8", "--long-address", "260F092964", "--turnaround-ms", "5", "--locked"});
    ASSERT_GT(sim.pid(), 0);
    const std::string path = sim.line();
    ASSERT_EQ(path, sim.folder() + "/sim0");
    EXPECT_NE(sim.line().find("rev8"), std::string::npos);

    RealLink link(path, {0x26, 0x0F, 0x09, 0x29, 0x64});
    ASSERT_TRUE(PortIsOpen(link.state)) << (link.ui.messages.empty() ? "" : link.ui.messages[0].text);
    const auto start = std::chrono::steady_clock::now();
    BuildLongRequest(link.state.buffer, 0);
    ASSERT_EQ(Exchange(link.state), ExchangeOk);
    // 9 + 9 request bytes and 5 + 21 answer bytes at 11 bits/1200 baud: about 400 ms on the wire.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(350));
    EXPECT_EQ(link.state.buffer.response[16], 8);  // software revision

    // Write-protected until the button (SIGUSR1) is pressed.
    BuildLongRequest(link.state.buffer, 177, {40, 0, 0, 0, 1});
    ASSERT_EQ(Exchange(link.state), ExchangeOk);
    EXPECT_EQ(ResponseCode(link.state.buffer), 7);
    kill(sim.pid(), SIGUSR1);
    EXPECT_NE(sim.line().find("button"), std::string::npos);
    BuildLongRequest(link.state.buffer, 177, {40, 0, 0, 0, 1});
    ASSERT_EQ(Exchange(link.state), ExchangeOk);
    EXPECT_EQ(ResponseCode(link.state.buffer), 0);

    // The port closed between commands and opened again still works.
    ClosePort(link.state);
    OpenPort(link.state);
    BuildLongRequest(link.state.buffer, 1);
    EXPECT_EQ(Exchange(link.state), ExchangeOk);
    ClosePort(link.state);

    const int status = sim.terminate();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    struct stat st {};
    EXPECT_NE(lstat(path.c_str(), &st), 0) << "the link outlived the simulator";
}

TEST(DevsimProcess, TunnelsThroughItsFlowComputer) {
    DevsimProcess sim({"--preset", "rev16", "--flow-computer", "--fc-address", "9", "--fc-password", "pw",
                       "--fc-format", "33", "--fc-line", "2", "--turnaround-ms", "5", "--name", "fc"});
    ASSERT_GT(sim.pid(), 0);
    const std::string path = sim.line();
    ASSERT_EQ(path, sim.folder() + "/fc");
    RealLink link(path, {});
    auto& st = link.state.settings;
    st.linkType = kLinkTunnel;
    st.portSpeedIndex = 9;  // 9600
    st.tunnelAddress = 9;
    st.tunnelPassword = "pw";
    st.tunnelRequestFormat = 1;
    st.tunnelLine = 1;
    st.firstByteWait = 3000;
    OpenPort(link.state);
    ASSERT_TRUE(PortIsOpen(link.state));
    BuildShortRequest(link.state.buffer, 0);
    st.shortAddress = 0;
    ASSERT_EQ(Exchange(link.state), ExchangeOk);
    EXPECT_EQ(link.state.buffer.response[0], 0x06);
    EXPECT_EQ(link.state.buffer.response[12], 16);  // software revision, short frame
}

TEST(DevsimProcess, ServesSeveralDevicesOnOneLineForTheLoopScan) {
    DevsimProcess sim({"--preset", "rev6", "--add-device", "rev14,5,,TT-102", "--hart-speed", "3", "--turnaround-ms",
                       "2", "--name", "loop"});
    ASSERT_GT(sim.pid(), 0);
    const std::string path = sim.line();
    ASSERT_EQ(path, sim.folder() + "/loop");
    RealLink link(path, {});
    auto& st = link.state.settings;
    st.hartSpeedIndex = 3;  // 38400, no parity
    st.firstByteWait = 150;
    st.nextByteWait = 50;
    OpenPort(link.state);
    ASSERT_TRUE(PortIsOpen(link.state));
    LoopScanDialog d;
    RunLoopScan(link.state, d);
    ASSERT_EQ(d.rows.size(), 2u);
    EXPECT_EQ(d.rows[0].shortAddress, 0);
    EXPECT_EQ(d.rows[0].softwareRevision, 6);
    EXPECT_EQ(d.rows[1].shortAddress, 5);
    EXPECT_EQ(d.rows[1].softwareRevision, 14);
    EXPECT_EQ(d.rows[1].tag, "TT-102");
}

}  // namespace
}  // namespace quillon
