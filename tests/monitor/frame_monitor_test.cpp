#include "monitor/frame_monitor.h"

#include <gtest/gtest.h>

#include <random>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/exchange.h"
#include "link/frame_codec.h"
#include "monitor/monitor_file.h"
#include "monitor/monitor_text.h"
#include "support/hart_ip_loopback.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::SimBench;

std::vector<std::string> Lines(const MonitorRing& ring) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < ring.size(); ++i) lines.push_back(EntryLine(ring.at(i)));
    return lines;
}

TEST(MonitorRing, KeepsTheNewestUpToItsCapacity) {
    MonitorRing ring(3);
    for (int i = 0; i < 7; ++i) {
        MonitorEntry e;
        e.atUs = i;
        ring.push(std::move(e));
    }
    ASSERT_EQ(ring.size(), 3u);
    EXPECT_EQ(ring.pushed(), 7u);
    EXPECT_EQ(ring.at(0).atUs, 4);
    EXPECT_EQ(ring.at(2).atUs, 6);
    ring.clear();
    EXPECT_EQ(ring.size(), 0u);
}

TEST(FrameMonitor, RecordsAnExchangeWithItsTiming) {
    SimBench b("rev6");
    FrameMonitor monitor(b.state);
    monitor.attach();
    BuildShortRequest(b.state.buffer, 0);
    ASSERT_EQ(Exchange(b.state), ExchangeOk);

    const auto& ring = monitor.entries();
    ASSERT_EQ(ring.size(), 2u);
    const MonitorEntry& sent = ring.at(0);
    EXPECT_EQ(sent.kind, EntryKind::Sent);
    EXPECT_EQ(sent.port, "sim0");
    EXPECT_EQ(sent.bytes.size(), 9u + 5u);
    const MonitorEntry& received = ring.at(1);
    EXPECT_EQ(received.kind, EntryKind::Received);
    // The simulated line answers 20 ms after the request, then at 1200 baud.
    EXPECT_GE(received.turnaroundUs, 20'000);
    EXPECT_LT(received.turnaroundUs, 40'000);
    EXPECT_GT(received.reads, 1);
    EXPECT_GT(received.minGapUs, 0);
    const std::string text = EntryDecodedText(received);
    EXPECT_NE(text.find("команда 0 «Чтение уникального идентификатора»"), std::string::npos) << text;
    EXPECT_NE(text.find("контрольный байт"), std::string::npos) << text;
    EXPECT_NE(text.find("после снятия RTS"), std::string::npos) << text;
}

TEST(FrameMonitor, NothingIsRecordedDetachedOrPaused) {
    SimBench b("rev6");
    FrameMonitor monitor(b.state);
    BuildShortRequest(b.state.buffer, 0);
    ASSERT_EQ(Exchange(b.state), ExchangeOk);
    EXPECT_EQ(monitor.entries().size(), 0u);
    monitor.attach();
    monitor.setPaused(true);
    BuildShortRequest(b.state.buffer, 0);
    ASSERT_EQ(Exchange(b.state), ExchangeOk);
    EXPECT_EQ(monitor.entries().size(), 0u);
    monitor.detach();
    EXPECT_EQ(b.state.tap, nullptr);
}

// The reason the monitor gives for an answer not taken is the real one, on
// every link: the HART frame's own rules (frame type, address, byte count,
// check byte), or what the line or the server did.
TEST(FrameMonitor, EventsOfFailedExchanges) {
    enum Link { Modem, Tunnel, HartIp };
    struct Case {
        Link link;
        sim::Fault fault;
        const char* expected;
    };
    const Case cases[] = {
        {Modem, sim::Fault::NoAnswer, "Нет ответа: первый байт не пришёл за 1000 мс"},
        {Modem, sim::Fault::Stall, "Ответ оборван: следующий байт не пришёл за 300 мс"},
        {Modem, sim::Fault::WrongCheckByte, "Ответ отвергнут: неверный контрольный байт"},
        {Modem, sim::Fault::WrongAddress, "Ответ отвергнут: адрес не совпадает с адресом запроса"},
        {Tunnel, sim::Fault::WrongCheckByte, "Ответ отвергнут: неверный контрольный байт"},
        {Tunnel, sim::Fault::WrongAddress, "Ответ отвергнут: адрес не совпадает с адресом запроса"},
        {HartIp, sim::Fault::NoAnswer, "Нет ответа от сервера HART-IP за 500 мс"},
        {HartIp, sim::Fault::WrongCheckByte, "Ответ отвергнут: неверный контрольный байт"},
        {HartIp, sim::Fault::WrongAddress, "Ответ отвергнут: адрес не совпадает с адресом запроса"},
        {HartIp, sim::Fault::ExtraByte, "Ответ отвергнут: длина кадра не сходится со счётчиком байт"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        SimBench b("rev6");
        testing::HartIpLoopback server(b.endpoint(), b.clock);
        if (c.link == Tunnel) {
            b.useFlowComputer();
            b.state.settings.firstByteWait = 7000;
        } else if (c.link == HartIp) {
            server.attach(b.state, kHartIpUdp);
        }
        FrameMonitor monitor(b.state);
        monitor.attach();
        b.faults().set(c.fault);
        BuildLongRequest(b.state.buffer, 0);
        EXPECT_NE(Exchange(b.state), ExchangeOk);
        const auto lines = Lines(monitor.entries());
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines.back().find(c.expected), std::string::npos) << lines.back();
    }
}

TEST(FrameMonitor, ReceiveErrorsAndAbortByKey) {
    SimBench b("rev6");
    FrameMonitor monitor(b.state);
    monitor.attach();
    b.line().injectLineError({kLineParity | kLineFraming, 8, false});
    BuildShortRequest(b.state.buffer, 0);
    Exchange(b.state);
    auto lines = Lines(monitor.entries());
    bool seen = false;
    for (const auto& l : lines) seen |= l.find("Ошибка приёма: Parity Error; Frame Error") != std::string::npos;
    EXPECT_TRUE(seen);

    monitor.clear();
    b.faults().set(sim::Fault::NoAnswer);
    b.ui.onProcessEvents = [&] { b.state.flags.stopRequested = true; };
    BuildShortRequest(b.state.buffer, 0);
    EXPECT_EQ(Exchange(b.state), ExchangeAborted);
    lines = Lines(monitor.entries());
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find("Ожидание прервано"), std::string::npos) << lines.back();
}

TEST(FrameMonitor, WakeUpOfASilentLineAndARequestNeverSent) {
    SimBench b("rev6");
    FrameMonitor monitor(b.state);
    monitor.attach();
    b.faults().set(sim::Fault::NoAnswer, true);
    for (int i = 0; i < 3; ++i) {
        BuildShortRequest(b.state.buffer, 0);
        EXPECT_EQ(Exchange(b.state), ExchangeNoAnswer);
    }
    int wakeUps = 0;
    bool announced = false;
    for (const auto& l : Lines(monitor.entries())) {
        announced |= l.find("Восстановление связи: «sk» на скоростях 300-3200") != std::string::npos;
        if (l.find("Пробуждение вычислителя «sk» (восстановление)") != std::string::npos &&
            l.find("| 73 6B") != std::string::npos)
            ++wakeUps;
    }
    EXPECT_TRUE(announced);
    EXPECT_EQ(wakeUps, 5);

    monitor.clear();
    b.state.buffer.request[0] = 0x07;
    EXPECT_EQ(Exchange(b.state), ExchangeBadRequest);
    const auto lines = Lines(monitor.entries());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Запрос не отправлен: неверный разделитель 07"), std::string::npos) << lines[0];
}

TEST(FrameMonitor, NoiseBeforeTheAnswerIsShownAndDecodedPastIt) {
    SimBench b("rev6");
    FrameMonitor monitor(b.state);
    monitor.attach();
    b.faults().set(sim::Fault::NoiseBeforeStart);
    BuildShortRequest(b.state.buffer, 0);
    ASSERT_EQ(Exchange(b.state), ExchangeOk);
    const std::string text = EntryDecodedText(monitor.entries().at(1));
    EXPECT_NE(text.find("байтов до кадра"), std::string::npos) << text;
    EXPECT_NE(text.find("верный"), std::string::npos) << text;
}

TEST(FrameMonitor, TunnelCredentialsNeverReachTheRawForm) {
    SimBench b("rev6");
    b.useFlowComputer({.address = 7, .password = "topsecret", .format = 33, .line = 2});
    FrameMonitor monitor(b.state);
    monitor.attach();
    BuildLongRequest(b.state.buffer, 0);
    ASSERT_EQ(Exchange(b.state), ExchangeOk);
    const auto lines = Lines(monitor.entries());
    ASSERT_EQ(lines.size(), 2u);
    // "topsecret" in hex, and in clear.
    for (const auto& l : lines) {
        EXPECT_EQ(l.find("74 6F 70"), std::string::npos) << l;
        EXPECT_EQ(l.find("topsecret"), std::string::npos) << l;
    }
    EXPECT_NE(lines[0].find("** ** **"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("формат 33, линия 2"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("вычислитель 66, адрес 7"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("CRC"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("код ответа 0"), std::string::npos) << lines[1];
}

TEST(FrameMonitor, RingStaysBoundedOverALongPoll) {
    SimBench b("rev6");
    FrameMonitor monitor(b.state, 50);
    monitor.attach();
    for (int i = 0; i < 200; ++i) {
        BuildShortRequest(b.state.buffer, 0);
        ASSERT_EQ(Exchange(b.state), ExchangeOk);
    }
    EXPECT_EQ(monitor.entries().size(), 50u);
    EXPECT_EQ(monitor.entries().pushed(), 400u);
    EXPECT_EQ(monitor.entries().at(49).kind, EntryKind::Received);
}

TEST(MonitorFile, SavesOneLinePerEntryAtomically) {
    SimBench b("rev6");
    FrameMonitor monitor(b.state);
    monitor.attach();
    b.faults().set(sim::Fault::NoAnswer);
    BuildShortRequest(b.state.buffer, 0);
    Exchange(b.state);
    ASSERT_EQ(monitor.entries().size(), 2u);

    const auto dir = std::filesystem::temp_directory_path() / ("quillon-monitor-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    const auto path = dir / "обмен.txt";
    {
        std::ofstream old(path);
        old << "old content that must go\n";
    }
    std::string error;
    ASSERT_TRUE(SaveMonitorEntries(monitor.entries(), path.string(), error)) << error;
    std::vector<std::string> lines;
    {
        // Closed before the folder goes: Windows does not remove a file that is open.
        std::ifstream in(path);
        for (std::string l; std::getline(in, l);) lines.push_back(l);
    }
    ASSERT_EQ(lines.size(), 2u);
    // A frame is stamped when RTS falls: 14 bytes at 1200 baud, 11 bits each.
    EXPECT_EQ(lines[0],
              "128.334 мс\t→\tsim0\tпреамбул 9; разделитель 02 (короткий кадр, ведущий → устройство); адрес 0, "
              "вторичный ведущий; команда 0 «Чтение уникального идентификатора»; счётчик байт 0; контрольный байт 02 "
              "верный [очищены передача и приём]\t| FF FF FF FF FF FF FF FF FF 02 00 00 00 02");
    EXPECT_NE(lines[1].find("\t•\tsim0\tНет ответа: первый байт не пришёл за 1000 мс [очищен приём]"),
              std::string::npos)
        << lines[1];
    // No temporary left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);

    EXPECT_FALSE(SaveMonitorEntries(monitor.entries(), (dir / "missing" / "x.txt").string(), error));
    EXPECT_FALSE(error.empty());
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

}  // namespace
}  // namespace quillon
