#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/app_state.h"
#include "calibration/calibration_read.h"
#include "calibration/calibration_view.h"
#include "device/identification.h"
#include "device/polling.h"
#include "device/polling_view_names.h"
#include "device/measuring_channel.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/hart_ip_link.h"
#include "link/key_hook.h"
#include "link/posix/posix_port_system.h"
#include "link/posix/steady_clock.h"
#include "monitor/frame_monitor.h"
#include "monitor/monitor_pcap.h"
#include "support/sim_fixture.h"
#include "support/devsim_process.h"
#include "support/scripted_ui.h"

namespace quillon {
namespace {

using testing::DevsimProcess;

// quillon-devsim serving HART-IP on a free loopback port.
struct IpSim {
    explicit IpSim(std::vector<std::string> args) : process(WithAddress(std::move(args))) {
        address = process.line();
        port = address.empty() ? 0 : std::stoi(address.substr(address.rfind(':') + 1));
    }
    static std::vector<std::string> WithAddress(std::vector<std::string> args) {
        args.insert(args.end(), {"--hart-ip", "127.0.0.1:0", "--turnaround-ms", "0"});
        return args;
    }
    DevsimProcess process;
    std::string address;
    int port = 0;
};

// The tool's state on the real sockets, pointed at a HART-IP server.
struct IpLink {
    testing::ScriptedUi ui;
    SteadyClock clock;
    PosixPortSystem ports{"/nonexistent", "/dev"};
    AppState state{ui, ports, clock};

    IpLink(int port, int transport) {
        auto& st = state.settings;
        st.linkType = kLinkHartIp;
        st.hartIpHost = "127.0.0.1";
        st.hartIpPort = port;
        st.hartIpTransport = transport;
        st.hartIpResponseTimeout = 400;
        st.shortAddress = 0;
        state.port.performanceFrequency = clock.counterFrequency();
    }
    int exchange(std::uint8_t command) {
        BuildShortRequest(state.buffer, command);
        return Exchange(state);
    }
    int sessions() const { return state.hartIp ? state.hartIp->sessionsOpened : 0; }
    std::string where() const {
        return "127.0.0.1:" + std::to_string(state.settings.hartIpPort) +
               (state.settings.hartIpTransport == kHartIpUdp ? " (UDP)" : " (TCP)");
    }
};

std::string TransportName(const ::testing::TestParamInfo<int>& info) { return info.param == kHartIpUdp ? "Udp" : "Tcp"; }

class HartIpEndToEnd : public ::testing::TestWithParam<int> {};

TEST_P(HartIpEndToEnd, IdentifiesPollsAndReadsTheCalibration) {
    IpSim sim({"--preset", "rev4", "--long-address", "260F092964"});
    ASSERT_NE(sim.port, 0);
    IpLink link(sim.port, GetParam());
    ASSERT_TRUE(ensureIdentified(link.state));
    EXPECT_EQ(link.state.identity.longAddress, (std::array<std::uint8_t, 5>{0x26, 0x0F, 0x09, 0x29, 0x64}));

    const auto start = std::chrono::steady_clock::now();
    link.ui.onProcessEvents = [&] {
        const bool enough = !link.ui.views.empty() && link.ui.views.back()->texts[pollview::kCorrect] == "3";
        if (enough || std::chrono::steady_clock::now() - start > std::chrono::seconds(10))
            KeyHook(link.state.flags, kKeyEsc);
    };
    RunSimplePoll(link.state, PollRequest::Command1);
    ASSERT_FALSE(link.ui.views.empty());
    EXPECT_EQ(link.ui.views.back()->texts[pollview::kCorrect], "3");
    link.ui.onProcessEvents = nullptr;

    std::vector<std::string> lines;
    link.ui.onDialog<ShowCalibrationDialog>([&](ShowCalibrationDialog& d) {
        lines = d.lines;
        return true;
    });
    ReadCalibration(link.state);
    EXPECT_EQ(lines.size(), 7u) << "the seven segments of the example calibration";
    EXPECT_EQ(link.sessions(), 1) << "one session serves every command";
    for (const auto& m : link.ui.messages)
        EXPECT_NE(m.icon, MessageIcon::Error) << m.text;  // identification reports the address; nothing fails
}

// Every HART-IP fault of the server: the answer it spoils is never accepted;
// either the next attempt goes through or the user reads what happened.
TEST_P(HartIpEndToEnd, ServerFaultsGiveARetryOrAMessage) {
    struct Case {
        const char* fault;
        int first;              // result of the exchange the fault hits
        const char* message;    // what the message says, if one is shown
        int sessionsAfterRetry; // a refusal or a close costs the session
    };
    const Case cases[] = {
        {"ip-drop", ExchangeNoAnswer, nullptr, 1},
        {"ip-wrong-sequence", ExchangeNoAnswer, nullptr, 1},
        {"ip-reorder", ExchangeNoAnswer, nullptr, 1},
        {"ip-error", ExchangeAborted, "сервер ответил сообщением об ошибке (статус 6)", 2},
        {"ip-close", ExchangeAborted, "сервер закрыл сеанс", 2},
    };
    for (const Case& c : cases) {
        IpSim sim({"--preset", "rev6", "--hart-ip-fault", c.fault});
        ASSERT_NE(sim.port, 0) << c.fault;
        IpLink link(sim.port, GetParam());
        EXPECT_EQ(link.exchange(0), c.first) << c.fault;
        if (c.message) {
            ASSERT_EQ(link.ui.messages.size(), 1u) << c.fault;
            EXPECT_EQ(link.ui.messages[0].text, "Ошибка связи по HART-IP с " + link.where() + ": " + c.message + "!");
            EXPECT_TRUE(link.state.flags.stopRequested) << "the loop around the exchange ends";
        } else {
            EXPECT_TRUE(link.ui.messages.empty()) << c.fault;
        }
        // Another command next: a held answer to the first one that comes
        // ahead of its own must not be taken for it.
        EXPECT_EQ(link.exchange(1), ExchangeOk) << c.fault;
        EXPECT_EQ(link.state.buffer.response[2], 1) << c.fault;
        EXPECT_EQ(link.sessions(), c.sessionsAfterRetry) << c.fault;
    }
}

// The device's own faults reach the tool inside HART-IP messages, and the
// modem link's checks turn every one of them down.
TEST_P(HartIpEndToEnd, DeviceFaultsAreNeverAccepted) {
    const std::pair<const char*, int> cases[] = {
        {"bad-check", ExchangeBadAnswer},     {"cut-short", ExchangeBadAnswer}, {"extra-byte", ExchangeBadAnswer},
        {"wrong-address", ExchangeBadAnswer}, {"oversized", ExchangeBadAnswer}, {"no-answer", ExchangeNoAnswer},
    };
    for (const auto& [fault, result] : cases) {
        IpSim sim({"--preset", "rev6", "--fault", fault});
        IpLink link(sim.port, GetParam());
        for (int attempt = 0; attempt < 2; ++attempt) EXPECT_EQ(link.exchange(0), result) << fault;
        EXPECT_TRUE(link.ui.messages.empty()) << fault;
    }
}

TEST_P(HartIpEndToEnd, NobodyServingThePortIsNamedInTheMessage) {
    // A port that was free a moment ago: nobody listens there.
    const int probe = socket(AF_INET, GetParam() == kHartIpUdp ? SOCK_DGRAM : SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    getsockname(probe, reinterpret_cast<sockaddr*>(&a), &length);
    close(probe);
    IpLink link(ntohs(a.sin_port), GetParam());
    EXPECT_EQ(link.exchange(0), ExchangeAborted);
    ASSERT_EQ(link.ui.messages.size(), 1u);
    EXPECT_EQ(link.ui.messages[0].text, "Ошибка связи по HART-IP с " + link.where() + ": соединение отвергнуто!");
}

TEST_P(HartIpEndToEnd, AServerThatWentAwayIsReportedAndNothingHangs) {
    auto sim = std::make_unique<IpSim>(std::vector<std::string>{"--preset", "rev6"});
    IpLink link(sim->port, GetParam());
    ASSERT_EQ(link.exchange(0), ExchangeOk);
    sim->process.terminate();
    sim.reset();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.exchange(0), ExchangeAborted);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    ASSERT_EQ(link.ui.messages.size(), 1u);
    EXPECT_NE(link.ui.messages[0].text.find(link.where()), std::string::npos) << link.ui.messages[0].text;
}

TEST_P(HartIpEndToEnd, EscEndsTheWaitForAnAnswer) {
    IpSim silent({"--preset", "rev6", "--fault", "no-answer"});
    IpLink waiting(silent.port, GetParam());
    waiting.state.settings.hartIpResponseTimeout = 10000;
    const auto start = std::chrono::steady_clock::now();
    waiting.ui.onProcessEvents = [&] {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(200))
            KeyHook(waiting.state.flags, kKeyEsc);
    };
    EXPECT_EQ(waiting.exchange(0), ExchangeAborted);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(waiting.state.flags.stopRequested);
    EXPECT_TRUE(waiting.ui.messages.empty());
    EXPECT_GT(waiting.ui.processEventsCalls, 5) << "the wait lets the window work";
}

TEST_P(HartIpEndToEnd, KeepAlivesHoldAnIdleSessionAndAnExpiredOneIsRenewed) {
    IpSim sim({"--preset", "rev6"});
    IpLink link(sim.port, GetParam());
    link.state.settings.hartIpInactivityTimer = 1500;
    ASSERT_EQ(link.exchange(0), ExchangeOk);
    for (int i = 0; i < 5; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        HartIpKeepAlive(link.state);
    }
    EXPECT_EQ(link.exchange(0), ExchangeOk);
    EXPECT_EQ(link.sessions(), 1) << "2 s idle, kept by keep-alives";
    std::this_thread::sleep_for(std::chrono::milliseconds(1700));
    EXPECT_EQ(link.exchange(0), ExchangeOk);
    EXPECT_EQ(link.sessions(), 2) << "past the timer the next request opens a new session";
    EXPECT_TRUE(link.ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Transports, HartIpEndToEnd, ::testing::Values(kHartIpTcp, kHartIpUdp), TransportName);

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

std::string RunCommand(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[512];
        for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        pclose(p);
    }
    return out;
}

bool HaveTshark() { return std::system("command -v tshark >/dev/null 2>&1") == 0; }

void CopyEntries(const FrameMonitor& from, MonitorRing& to) {
    for (std::size_t i = 0; i < from.entries().size(); ++i) to.push(from.entries().at(i));
}

// The monitor's capture file read by an analyser of its own: every packet is
// HART-IP, none is malformed, and the commands and sequence numbers are the
// ones exchanged: the modem's and the flow computer's frames numbered by the
// file, the HART-IP messages as they went.
TEST(HartIpOutsideCheck, TsharkReadsTheMonitorsCaptureFile) {
    if (!HaveTshark()) GTEST_SKIP() << "tshark is not installed; scripts/install-deps.sh installs it";
    MonitorRing all(1000);
    {
        testing::SimBench modem("rev6");
        FrameMonitor m(modem.state);
        m.attach();
        for (std::uint8_t command : {0, 1}) {
            BuildShortRequest(modem.state.buffer, command);
            ASSERT_EQ(Exchange(modem.state), ExchangeOk);
        }
        CopyEntries(m, all);
    }
    {
        testing::SimBench tunnel("rev6");
        tunnel.useFlowComputer();
        tunnel.state.settings.firstByteWait = 7000;
        FrameMonitor m(tunnel.state);
        m.attach();
        for (std::uint8_t command : {0, 1}) {
            BuildShortRequest(tunnel.state.buffer, command);
            ASSERT_EQ(Exchange(tunnel.state), ExchangeOk);
        }
        CopyEntries(m, all);
    }
    {
        IpSim sim({"--preset", "rev6"});
        IpLink link(sim.port, kHartIpTcp);
        FrameMonitor m(link.state);
        m.attach();
        for (std::uint8_t command : {0, 1}) ASSERT_EQ(link.exchange(command), ExchangeOk);
        CopyEntries(m, all);
    }
    const std::string path = ::testing::TempDir() + "/quillon-monitor.pcap";
    std::string error;
    ASSERT_TRUE(SaveMonitorPcap(all, path, error)) << error;
    const std::string fields = RunCommand("tshark -r " + path +
                                          " -T fields -E separator=, -e hart_ip.message_type -e hart_ip.message_id"
                                          " -e hart_ip.transaction_id -e hart_ip.pt.command -e _ws.malformed"
                                          " 2>/dev/null");
    EXPECT_EQ(fields,
              "0,3,1,0,\n1,3,1,0,\n0,3,2,1,\n1,3,2,1,\n"   // modem
              "0,3,3,0,\n1,3,3,0,\n0,3,4,1,\n1,3,4,1,\n"   // flow computer
              "0,0,1,,\n1,0,1,,\n0,3,2,0,\n1,3,2,0,\n0,3,3,1,\n1,3,3,1,\n");  // HART-IP: session, then two PDUs
    std::remove(path.c_str());
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// The tool's side of scripts/hart-ip-capture-check.sh, which captures
// loopback while this runs against the server it names: commands 0, 1 and 3
// in one session over TCP, then over UDP.
TEST(HartIpCapture, TalksToTheServerTheCaptureWatches) {
    const char* server = std::getenv("QUILLON_HART_IP_SERVER");
    if (!server) GTEST_SKIP() << "run by scripts/hart-ip-capture-check.sh, which starts the server and the capture";
    const std::string address = server;
    const int port = std::stoi(address.substr(address.rfind(':') + 1));
    for (int transport : {kHartIpTcp, kHartIpUdp}) {
        IpLink link(port, transport);
        for (std::uint8_t command : {0, 1, 3}) EXPECT_EQ(link.exchange(command), ExchangeOk) << int(command);
        CloseHartIpSession(link.state);
    }
}

}  // namespace
}  // namespace quillon
