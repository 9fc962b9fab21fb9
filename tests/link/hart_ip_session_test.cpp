#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/hart_ip_link.h"
#include "link/link_open.h"
#include "monitor/frame_monitor.h"
#include "monitor/monitor_text.h"
#include "support/hart_ip_loopback.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::HartIpLoopback;
using testing::SimBench;

// A device behind a HART-IP server in this process, watched by the monitor.
struct IpBench {
    explicit IpBench(int transport, const char* preset = "rev8") : b(preset), server(b.endpoint(), b.clock), monitor(b.state) {
        server.attach(b.state, transport);
        monitor.attach();
    }
    int exchange(std::uint8_t command = 0) {
        BuildShortRequest(b.state.buffer, command);
        return Exchange(b.state);
    }
    int sessions() const { return b.state.hartIp ? b.state.hartIp->sessionsOpened : 0; }
    // The monitor's events, in order, and every line it holds.
    std::vector<std::string> events() const {
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < monitor.entries().size(); ++i)
            if (monitor.entries().at(i).kind == EntryKind::Event) texts.push_back(EntryDecodedText(monitor.entries().at(i)));
        return texts;
    }
    std::string allLines() const {
        std::string text;
        for (std::size_t i = 0; i < monitor.entries().size(); ++i) text += EntryLine(monitor.entries().at(i)) + "\n";
        return text;
    }

    SimBench b;
    HartIpLoopback server;
    FrameMonitor monitor;
};

std::string TransportName(int transport) { return transport == kHartIpUdp ? "UDP" : "TCP"; }

const char* kNoAnswer = "Нет ответа от сервера HART-IP за 500 мс";

// A session the server no longer keeps, in each way a server in the field
// shows it: the tool opens a new one before the next request, says why in the
// trace, and bothers the user only when the server cannot be reached at all.
TEST(HartIpSession, ASessionTheServerLostIsRenewedBeforeTheNextRequest) {
    using Server = HartIpLoopback;
    const auto restart = [](Server& s) { s.restart(); };
    const auto nothing = [](Server&) {};
    struct Step {
        std::function<void(Server&)> before;
        int result;
    };
    struct Case {
        const char* name;
        int transport;
        std::function<void(Server&)> setup;
        std::vector<Step> steps;
        int sessions;
        std::vector<std::string> events;
        std::vector<std::string> messages;
    };
    const std::string renewed = "Новый сеанс HART-IP: ";
    const Case cases[] = {
        {"restarted, a stranger's request is answered with an error",
         kHartIpUdp, nothing, {{nothing, ExchangeOk}, {restart, ExchangeOk}, {nothing, ExchangeOk}}, 2,
         {renewed + "сервер ответил сообщением об ошибке (статус 16)"}, {}},
        {"restarted, a stranger's request is ignored",
         kHartIpUdp, [](Server& s) { s.ignoreStrangers = true; },
         {{nothing, ExchangeOk}, {restart, ExchangeNoAnswer}, {nothing, ExchangeNoAnswer}, {nothing, ExchangeOk}}, 2,
         {kNoAnswer, kNoAnswer, renewed + "2 запроса подряд остались без ответа"}, {}},
        {"one answer lost keeps the session",
         kHartIpUdp, [](Server& s) { s.fault = {sim::HartIpFault::Drop, 1}; },
         {{nothing, ExchangeOk}, {nothing, ExchangeNoAnswer}, {nothing, ExchangeOk}, {nothing, ExchangeOk}}, 1,
         {kNoAnswer}, {}},
        {"restarted while a request waits",
         kHartIpUdp, [](Server& s) { s.fault = {sim::HartIpFault::Restart, 1}; },
         {{nothing, ExchangeOk}, {nothing, ExchangeNoAnswer}, {nothing, ExchangeOk}}, 2,
         {kNoAnswer, renewed + "сервер ответил сообщением об ошибке (статус 16)"}, {}},
        {"an error message on an established session",
         kHartIpUdp, [](Server& s) { s.fault = {sim::HartIpFault::ErrorMessage, 1}; },
         {{nothing, ExchangeOk}, {nothing, ExchangeOk}}, 2,
         {renewed + "сервер ответил сообщением об ошибке (статус 6)"}, {}},
        {"restarted, the connection closed",
         kHartIpTcp, nothing, {{nothing, ExchangeOk}, {restart, ExchangeOk}, {nothing, ExchangeOk}}, 2,
         {renewed + "сервер закрыл соединение"}, {}},
        {"restarted while a request waits",
         kHartIpTcp, [](Server& s) { s.fault = {sim::HartIpFault::Restart, 1}; },
         {{nothing, ExchangeOk}, {nothing, ExchangeNoAnswer}, {nothing, ExchangeOk}}, 2,
         {renewed + "сервер закрыл соединение"}, {}},
        {"an error message on an established session",
         kHartIpTcp, [](Server& s) { s.fault = {sim::HartIpFault::ErrorMessage, 1}; },
         {{nothing, ExchangeOk}, {nothing, ExchangeOk}}, 2,
         {renewed + "сервер ответил сообщением об ошибке (статус 6)"}, {}},
        {"the connection reset",
         kHartIpTcp, nothing, {{nothing, ExchangeOk}, {[](Server& s) { s.resetConnections(); }, ExchangeOk}}, 2,
         {renewed + "соединение TCP сброшено (RST)"}, {}},
        {"the connection reset and nobody serving any more",
         kHartIpTcp, nothing,
         {{nothing, ExchangeOk},
          {[](Server& s) {
               s.resetConnections();
               s.refuseConnections = true;
           },
           ExchangeAborted}},
         1,
         {renewed + "соединение TCP сброшено (RST)", "Связь по HART-IP прервана: соединение отвергнуто"},
         {"Ошибка связи по HART-IP с 192.0.2.10:5094 (TCP): соединение отвергнуто!"}},
        {"an error message on a session just opened",
         kHartIpTcp, [](Server& s) { s.fault = {sim::HartIpFault::ErrorMessage, 0}; },
         {{nothing, ExchangeAborted}, {nothing, ExchangeOk}}, 2,
         {"Связь по HART-IP прервана: сервер ответил сообщением об ошибке (статус 6)"},
         {"Ошибка связи по HART-IP с 192.0.2.10:5094 (TCP): сервер ответил сообщением об ошибке (статус 6)!"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(TransportName(c.transport) + ": " + c.name);
        IpBench ip(c.transport);
        c.setup(ip.server);
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            c.steps[i].before(ip.server);
            EXPECT_EQ(ip.exchange(static_cast<std::uint8_t>(i % 2)), c.steps[i].result) << "step " << i;
            if (c.steps[i].result == ExchangeOk) {
                EXPECT_EQ(ip.b.state.buffer.response[2], i % 2) << "step " << i;
            }
        }
        EXPECT_EQ(ip.sessions(), c.sessions);
        EXPECT_EQ(ip.events(), c.events);
        EXPECT_EQ(ip.b.ui.messageTexts(), c.messages);
        const std::string lines = ip.allLines();
        EXPECT_EQ(lines.find("RTS"), std::string::npos) << lines;
        EXPECT_EQ(lines.find("Ожидание прервано"), std::string::npos) << lines;
        EXPECT_NE(lines.find("ответ через"), std::string::npos) << lines;
    }
}

// A server that wants the secure sessions of version 2: answered in that
// version, or refusing the session initiate of version 1.
TEST(HartIpSession, AServerOfVersionTwoIsNamedAndNotSupportedYet) {
    const std::string answeredInTwo =
        "сервер ответил по HART-IP версии 2 (защищённый сеанс), а HART-IP версии 2 пока не поддерживается!";
    const std::string initiateRefused =
        "сервер отказал в открытии сеанса HART-IP версии 1 (статус 14); если сервер требует HART-IP версии 2 "
        "(защищённый сеанс), она пока не поддерживается!";
    struct Case {
        int transport;
        bool versionTwo;  // else the initiate is refused
        std::string what;
    } cases[] = {
        {kHartIpUdp, true, answeredInTwo},
        {kHartIpTcp, true, answeredInTwo},
        {kHartIpUdp, false, initiateRefused},
        {kHartIpTcp, false, initiateRefused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(TransportName(c.transport) + (c.versionTwo ? ", version 2" : ", refused"));
        IpBench ip(c.transport);
        if (c.versionTwo)
            ip.server.answerVersion = 2;
        else
            ip.server.refuseInitiates = 14;
        EXPECT_EQ(ip.exchange(), ExchangeAborted);
        const std::string where = "192.0.2.10:5094 (" + TransportName(c.transport) + ")";
        EXPECT_EQ(ip.b.ui.messageTexts(), std::vector<std::string>{"Ошибка связи по HART-IP с " + where + ": " + c.what});
        EXPECT_EQ(ip.server.pdus, 0) << "no request goes out on a session that never opened";
    }
}

// The command line's hold calls KeepLinkAlive between its pauses: the session
// outlives the inactivity timer, and one the server lost during the hold is
// replaced before the request that ends the hold.
TEST(HartIpSession, KeepAlivesCarryAHoldAndALostSessionIsRenewedAfterIt) {
    for (int transport : {kHartIpUdp, kHartIpTcp}) {
        SCOPED_TRACE(TransportName(transport));
        IpBench ip(transport);
        ip.b.state.settings.hartIpInactivityTimer = 3000;
        ASSERT_EQ(ip.exchange(), ExchangeOk);
        const auto hold = [&](int seconds) {
            for (int i = 0; i < seconds * 10; ++i) {
                ip.b.clock.sleepMs(100);
                KeepLinkAlive(ip.b.state);
            }
        };
        hold(10);
        EXPECT_GE(ip.server.keepAlives, 9);
        EXPECT_LE(ip.server.keepAlives, 11);
        EXPECT_TRUE(LinkIsOpen(ip.b.state));
        EXPECT_EQ(ip.exchange(), ExchangeOk);
        EXPECT_EQ(ip.sessions(), 1) << "ten seconds past a three-second timer, on the same session";

        ip.server.restart();
        hold(3);
        EXPECT_EQ(ip.exchange(), ExchangeOk);
        EXPECT_EQ(ip.sessions(), 2);
        const std::string why = transport == kHartIpUdp ? "сервер отверг поддержание сеанса (статус 16)"
                                                        : "сервер закрыл соединение";
        EXPECT_EQ(ip.events(), std::vector<std::string>{"Новый сеанс HART-IP: " + why});
        EXPECT_TRUE(ip.b.ui.messages.empty());
    }
}

// Whether the link can carry a request, and opening it without a word, for
// each of the three links.
TEST(LinkOpen, AsksTheLinkInUse) {
    SimBench modem("rev8");
    EXPECT_TRUE(LinkIsOpen(modem.state));
    ClosePort(modem.state);
    EXPECT_FALSE(LinkIsOpen(modem.state));
    EXPECT_TRUE(OpenLinkQuietly(modem.state));
    EXPECT_TRUE(LinkIsOpen(modem.state));
    modem.state.settings.portIndex = 0;
    ClosePort(modem.state);
    EXPECT_FALSE(OpenLinkQuietly(modem.state));

    SimBench tunnel("rev8");
    tunnel.useFlowComputer();
    EXPECT_TRUE(LinkIsOpen(tunnel.state));

    for (int transport : {kHartIpUdp, kHartIpTcp}) {
        SCOPED_TRACE(TransportName(transport));
        IpBench ip(transport);
        EXPECT_FALSE(LinkIsOpen(ip.b.state));
        EXPECT_TRUE(OpenLinkQuietly(ip.b.state));
        EXPECT_TRUE(LinkIsOpen(ip.b.state));
        EXPECT_EQ(ip.sessions(), 1);
        EXPECT_TRUE(OpenLinkQuietly(ip.b.state)) << "an open session is kept";
        EXPECT_EQ(ip.sessions(), 1);
        ip.b.state.settings.hartIpPort = 5095;
        EXPECT_FALSE(LinkIsOpen(ip.b.state)) << "a session with another server is not the link in use";
        CloseHartIpSession(ip.b.state);
        ip.server.refuseConnections = true;
        EXPECT_FALSE(OpenLinkQuietly(ip.b.state));
        EXPECT_TRUE(ip.b.ui.messages.empty());
    }
}

}  // namespace
}  // namespace quillon
