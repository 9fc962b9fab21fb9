#include <gtest/gtest.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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
#include "monitor/monitor_text.h"
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
    ReadCalibration(link.state, link.state.calibration);
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

// A device of another maker and one in burst mode, through the real server:
// identified and polled, neither turned down by the address check.
TEST_P(HartIpEndToEnd, ForeignAndBurstingDevicesAreIdentifiedAndPolled) {
    const std::pair<const char*, std::array<std::uint8_t, 5>> devices[] = {
        {"foreign", {0x39, 0x9C, 0x00, 0x12, 0x34}},
        {"burst", {0x26, 0x1E, 0x01, 0x20, 0x20}},
    };
    for (const auto& [preset, longAddress] : devices) {
        SCOPED_TRACE(preset);
        IpSim sim({"--preset", preset});
        ASSERT_NE(sim.port, 0);
        IpLink link(sim.port, GetParam());
        ASSERT_TRUE(ensureIdentified(link.state));
        EXPECT_EQ(link.state.identity.longAddress, longAddress);
        const auto start = std::chrono::steady_clock::now();
        link.ui.onProcessEvents = [&] {
            const bool enough = !link.ui.views.empty() && link.ui.views.back()->texts[pollview::kCorrect] == "5";
            if (enough || std::chrono::steady_clock::now() - start > std::chrono::seconds(10))
                KeyHook(link.state.flags, kKeyEsc);
        };
        RunSimplePoll(link.state, PollRequest::Command3);
        ASSERT_FALSE(link.ui.views.empty());
        EXPECT_EQ(link.ui.views.back()->texts[pollview::kCorrect], "5");
        for (const auto& m : link.ui.messages) EXPECT_NE(m.icon, MessageIcon::Error) << m.text;
    }
}

// The server restarts in the middle of a poll (every session forgotten, the
// TCP connection closed, the answer lost): the poll goes on over a new
// session, the trace says so, and no message stops it.
TEST_P(HartIpEndToEnd, APollResumesOnANewSessionAfterTheServerRestarts) {
    IpSim sim({"--preset", "rev6", "--hart-ip-fault", "ip-restart", "--hart-ip-fault-after", "4"});
    ASSERT_NE(sim.port, 0);
    IpLink link(sim.port, GetParam());
    FrameMonitor monitor(link.state);
    monitor.attach();
    ASSERT_TRUE(ensureIdentified(link.state));
    const auto start = std::chrono::steady_clock::now();
    link.ui.onProcessEvents = [&] {
        const bool enough = !link.ui.views.empty() && link.ui.views.back()->texts[pollview::kCorrect] == "12";
        if (enough || std::chrono::steady_clock::now() - start > std::chrono::seconds(10))
            KeyHook(link.state.flags, kKeyEsc);
    };
    RunSimplePoll(link.state, PollRequest::Command1);
    ASSERT_FALSE(link.ui.views.empty());
    auto texts = link.ui.views.back()->texts;
    EXPECT_EQ(texts[pollview::kCorrect], "12");
    EXPECT_LE(std::stoi(texts[pollview::kRequests]) - 12, 1) << "at most the request the restart swallowed";
    EXPECT_EQ(link.sessions(), 2);
    for (const auto& m : link.ui.messages) EXPECT_NE(m.icon, MessageIcon::Error) << m.text;
    int renewals = 0;
    for (std::size_t i = 0; i < monitor.entries().size(); ++i)
        if (EntryDecodedText(monitor.entries().at(i)).rfind("Новый сеанс HART-IP: ", 0) == 0) ++renewals;
    EXPECT_EQ(renewals, 1);
}

// A client of the server on a raw socket: messages as the test writes them.
class RawClient {
public:
    RawClient(int port, bool tcp) : tcp_(tcp) {
        fd_ = socket(AF_INET, tcp ? SOCK_STREAM : SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~RawClient() { close(fd_); }
    bool connected() const { return connected_; }
    void send(const std::vector<std::uint8_t>& bytes) { (void)::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    // The next message within `timeoutMs`; nothing on silence, a close or bytes that are no message.
    std::optional<hartip::Message> next(int timeoutMs = 1000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (tcp_ && !stream_.empty()) {
                hartip::Decoded d = hartip::DecodeStreamMessage(stream_.data(), stream_.size());
                if (d.status == hartip::DecodeStatus::Malformed) return std::nullopt;
                if (d.status == hartip::DecodeStatus::Complete) {
                    stream_.erase(stream_.begin(), stream_.begin() + static_cast<std::ptrdiff_t>(d.consumed));
                    return d.message;
                }
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now()).count();
            pollfd p{fd_, POLLIN, 0};
            if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return std::nullopt;
            std::uint8_t buf[2048];
            const ssize_t n = recv(fd_, buf, sizeof buf, 0);
            if (n <= 0) return std::nullopt;
            if (tcp_) {
                stream_.insert(stream_.end(), buf, buf + n);
                continue;
            }
            hartip::Decoded d = hartip::DecodeDatagram(buf, static_cast<std::size_t>(n));
            if (d.status == hartip::DecodeStatus::Complete) return d.message;
        }
    }
    bool open(std::uint16_t sequence) {
        send(hartip::EncodeMessage(hartip::kTypeRequest, hartip::kIdSessionInitiate, 0, sequence,
                                   hartip::SessionInitiateBody(hartip::kHostPrimary, 60000)));
        const auto m = next();
        return m && m->header.type == hartip::kTypeResponse && m->header.status == 0;
    }
    // Command 0 to polling address 0: 02 80 00 00, check byte 02 ^ 80 = 82.
    bool identifies(std::uint16_t sequence) {
        send(hartip::EncodeMessage(hartip::kTypeRequest, hartip::kIdTokenPassingPdu, 0, sequence,
                                   std::vector<std::uint8_t>{0x02, 0x80, 0x00, 0x00, 0x82}));
        for (;;) {
            const auto m = next();
            if (!m) return false;
            if (m->header.sequence != sequence) continue;
            return m->header.type == hartip::kTypeResponse && m->body.size() > 3 && m->body[0] == 0x06 &&
                   m->body[2] == 0x00;
        }
    }

private:
    int fd_ = -1;
    bool tcp_ = false;
    bool connected_ = false;
    std::vector<std::uint8_t> stream_;
};

// One broken message troubles nothing after it: a token-passing PDU whose
// frame is cut short (the device would wait for its missing bytes), and a
// message that is not HART-IP at all, are followed by requests that are all
// answered, in the same session and in another one.
TEST_P(HartIpEndToEnd, ATruncatedMessageTroublesNothingAfterIt) {
    const bool tcp = GetParam() == kHartIpTcp;
    IpSim sim({"--preset", "rev6"});
    ASSERT_NE(sim.port, 0);
    RawClient other(sim.port, tcp);
    ASSERT_TRUE(other.connected());
    ASSERT_TRUE(other.open(1));
    RawClient client(sim.port, tcp);
    ASSERT_TRUE(client.open(1));
    // 02 80 00: delimiter, address and command, and no byte count or check byte.
    client.send(hartip::EncodeMessage(hartip::kTypeRequest, hartip::kIdTokenPassingPdu, 0, 2,
                                      std::vector<std::uint8_t>{0x02, 0x80, 0x00}));
    for (std::uint16_t sequence = 3; sequence < 8; ++sequence)
        EXPECT_TRUE(client.identifies(sequence)) << "request " << sequence;
    EXPECT_TRUE(other.identifies(2)) << "the other session";
    // A message whose byte count promises more than the datagram holds (on
    // TCP: less than its header), which no stream can be followed past.
    client.send(tcp ? std::vector<std::uint8_t>{0x01, 0x00, 0x03, 0x00, 0x00, 0x09, 0x00, 0x04}
                    : std::vector<std::uint8_t>{0x01, 0x00, 0x03, 0x00, 0x00, 0x09, 0x00, 0x20, 0x02, 0x80});
    if (tcp) {
        EXPECT_FALSE(client.next(500).has_value()) << "the connection that broke is closed";
        RawClient again(sim.port, tcp);
        ASSERT_TRUE(again.open(1));
        EXPECT_TRUE(again.identifies(2)) << "a new session";
    } else {
        EXPECT_TRUE(client.identifies(10)) << "the same session";
    }
    EXPECT_TRUE(other.identifies(3)) << "the other session";
}

// A client that asks for a session of HART-IP version 2 (secure sessions)
// gets an error status, in version 1, instead of silence.
TEST_P(HartIpEndToEnd, AVersionTwoInitiateGetsAnErrorStatus) {
    const bool tcp = GetParam() == kHartIpTcp;
    IpSim sim({"--preset", "rev6"});
    ASSERT_NE(sim.port, 0);
    RawClient client(sim.port, tcp);
    auto initiate = hartip::EncodeMessage(hartip::kTypeRequest, hartip::kIdSessionInitiate, 0, 0x0102,
                                          hartip::SessionInitiateBody(hartip::kHostPrimary, 60000));
    initiate[0] = 2;
    client.send(initiate);
    const auto m = client.next();
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->header.version, 1);
    EXPECT_EQ(m->header.type, hartip::kTypeError);
    EXPECT_EQ(m->header.id, hartip::kIdSessionInitiate);
    EXPECT_EQ(m->header.sequence, 0x0102);
    EXPECT_EQ(m->header.status, 14);
    // The same client may still open a session of version 1.
    EXPECT_TRUE(client.open(0x0103));
    EXPECT_TRUE(client.identifies(0x0104));
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
