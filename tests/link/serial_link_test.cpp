#include <gtest/gtest.h>

#include <algorithm>

#include "link/frame_codec.h"
#include "link/line_settings.h"
#include "link/link_bench.h"

namespace quillon::testing {
namespace {

constexpr std::int64_t kMs = 1000;  // virtual clock runs in microseconds

TEST(TransmissionTicks, HoldsRtsForTheWireTimeOfTheFrame) {
    struct Case {
        std::size_t bytes;
        LineSettings line;
        std::int64_t expectedUs;
    } cases[] = {
        {8, {1200, Parity::Odd}, 73333},   // 8 * 11 / 1200 s
        {8, {19200, Parity::None}, 4166},  // 8 * 10 / 19200 s
        {17, {1200, Parity::Odd}, 155833},
        {2, {300, Parity::None}, 66666},
    };
    for (const auto& c : cases) EXPECT_EQ(TransmissionTicks(c.bytes, c.line, 1'000'000), c.expectedUs) << c.line.baud;
}

TEST(LineSettingsFor, SpeedOptionsAndFallbacks) {
    struct Case {
        int linkType, hartSpeed, portSpeed;
        std::uint32_t baud;
        Parity parity;
    } cases[] = {
        {0, 0, 0, 1200, Parity::Odd},    {0, 1, 0, 38400, Parity::Odd},    {0, 2, 0, 19200, Parity::None},
        {0, 3, 0, 38400, Parity::None},  {0, 4, 0, 9600, Parity::None},    {0, 5, 0, 2400, Parity::None},
        {0, 6, 0, 2400, Parity::Odd},    {0, -1, 0, 2400, Parity::Odd},    {1, 0, 4, 3200, Parity::None},
        {1, 0, 12, 28800, Parity::None}, {1, 0, 15, 115200, Parity::None}, {1, 0, 16, 1200, Parity::None},
        {1, 0, -1, 1200, Parity::None},  {2, 0, 0, 1200, Parity::None},
    };
    for (const auto& c : cases) {
        LinkSettings st;
        st.linkType = c.linkType;
        st.hartSpeedIndex = c.hartSpeed;
        st.portSpeedIndex = c.portSpeed;
        const auto line = LineSettingsFor(st);
        EXPECT_EQ(line.baud, c.baud) << c.linkType << "/" << c.hartSpeed << "/" << c.portSpeed;
        EXPECT_EQ(line.parity, c.parity) << c.linkType << "/" << c.hartSpeed << "/" << c.portSpeed;
    }
}

TEST(SendFrame, RaisesRtsJustBeforeTheWriteAndDropsItAtTheDeadline) {
    LinkBench b;
    b.clock.setNowUs(5000);
    b.line.rts.clear();  // the drop on opening
    const std::uint8_t frame[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    SendFrame(b.s, frame, sizeof frame);
    ASSERT_EQ(b.line.rts.size(), 2u);
    ASSERT_EQ(b.line.writeTimesUs.size(), 1u);
    EXPECT_TRUE(b.line.rts[0].first);
    EXPECT_FALSE(b.line.rts[1].first);
    EXPECT_LE(b.line.rts[0].second, b.line.writeTimesUs[0]);
    // 1200 baud, odd parity: the drop comes just past 73.333 ms after the write starts.
    EXPECT_EQ(b.line.rts[1].second - b.line.writeTimesUs[0], 73334);
}

TEST(SendFrame, WithoutOpenPortSendsNothing) {
    LinkBench b;
    ClosePort(b.s);
    const std::uint8_t frame[2] = {0x73, 0x6B};
    SendFrame(b.s, frame, 2);
    EXPECT_TRUE(b.line.writes.empty());
}

// A short answer to command 0 from polling address 1.
std::vector<std::uint8_t> ShortAnswer() { return WithCheckByte({0x06, 0x01, 0x00, 0x02, 0x00, 0x00}); }

TEST(ReceiveAnswer, FirstByteWait) {
    struct Case {
        std::int64_t firstByteAtUs;
        std::size_t expected;
    } cases[] = {
        {999 * kMs, 7},
        {1000 * kMs, 7},  // exactly at the limit is still in time
        {1002 * kMs, 0},
        {5000 * kMs, 0},
    };
    for (const auto& c : cases) {
        LinkBench b;
        b.s.filter.startByte = 0x06;
        b.s.filter.expectedShortAddress = 1;
        b.line.scheduleBytes(c.firstByteAtUs, ShortAnswer());
        EXPECT_EQ(ReceiveAnswer(b.s, 1000, 300, 0x06), c.expected) << c.firstByteAtUs;
    }
}

TEST(ReceiveAnswer, GapLongerThanNextByteWaitReturnsThePartialCount) {
    LinkBench b;
    b.s.filter.expectedShortAddress = 16;
    auto answer = ShortAnswer();
    b.line.scheduleBytes(10 * kMs, {answer.begin(), answer.begin() + 3});
    b.line.scheduleBytes(10 * kMs + 2 * kMs + 301 * kMs + 1500, {answer.begin() + 3, answer.end()});
    EXPECT_EQ(ReceiveAnswer(b.s, 1000, 300, 0x06), 3u);
}

TEST(ReceiveAnswer, GapOfExactlyNextByteWaitKeepsCollecting) {
    LinkBench b;
    b.s.filter.expectedShortAddress = 16;
    auto answer = ShortAnswer();
    b.line.scheduleBytes(10 * kMs, {answer.begin(), answer.begin() + 3});
    b.line.scheduleBytes(12 * kMs + 300 * kMs, {answer.begin() + 3, answer.end()});
    EXPECT_EQ(ReceiveAnswer(b.s, 1000, 300, 0x06), 7u);
}

TEST(ReceiveAnswer, NoiseWithoutStartByteIsNoAnswerButNotSilent) {
    LinkBench b;
    for (int i = 0; i < 60; ++i) b.line.schedule(i * 20 * kMs, {0x55});
    EXPECT_EQ(ReceiveAnswer(b.s, 1000, 300, 0x06), 0u);
    EXPECT_EQ(b.s.port.silentExchangeCount, 0);
    EXPECT_EQ(b.s.buffer.rawAnswerCount, 50);  // the byte already there at the start was purged
}

TEST(ReceiveAnswer, SkipsNoiseAndOwnEchoBeforeTheStartByte) {
    LinkBench b;
    b.s.filter.expectedShortAddress = 1;
    b.line.schedule(0, {0x06, 0x01}, 0);  // already there when the receive starts: purged
    b.line.schedule(5 * kMs, {0x00, 0x13, 0xFF});
    b.line.scheduleBytes(9 * kMs, ShortAnswer());
    ASSERT_EQ(ReceiveAnswer(b.s, 1000, 300, 0x06), 7u);
    EXPECT_EQ(CheckAnswer(7, b.s.buffer.response.data()), 0);
    EXPECT_EQ(b.s.buffer.rawAnswerCount, 10);
}

TEST(ReceiveAnswer, CapsTheAnswerAt200BytesAndEndsByTheNextByteWait) {
    LinkBench b;
    b.s.filter.expectedShortAddress = 16;
    std::vector<std::uint8_t> huge{0x06, 0x01, 0x00, 0xFF};  // claims 255 data bytes
    huge.resize(300, 0x11);
    b.line.scheduleBytes(10 * kMs, huge, 100);
    EXPECT_EQ(ReceiveAnswer(b.s, 1000, 300, 0x06), 200u);
    EXPECT_EQ(b.s.buffer.rawAnswerCount, 200);
    EXPECT_EQ(CheckAnswer(200, b.s.buffer.response.data()), 2);
}

TEST(ReceiveAnswer, ThreeSilentExchangesRecoverThePortOnce) {
    LinkBench b;
    b.s.settings.linkType = kLinkDirect;
    auto silent = [&] { EXPECT_EQ(ReceiveAnswer(b.s, 100, 50, 0x06), 0u); };
    auto answered = [&] {
        b.s.filter.expectedShortAddress = 16;
        b.line.scheduleBytes(static_cast<std::int64_t>(b.clock.nowUs()) + 20 * kMs, ShortAnswer());
        EXPECT_EQ(ReceiveAnswer(b.s, 100, 50, 0x06), 7u);
    };
    silent();
    answered();
    silent();
    answered();
    EXPECT_EQ(b.s.port.silentExchangeCount, 2);
    EXPECT_TRUE(b.line.writes.empty());
    silent();
    EXPECT_EQ(b.s.port.silentExchangeCount, 0);
    // Recovery: "sk" at 300, 600, 1200, 2400 and 3200 baud without parity, then the link's own settings.
    ASSERT_EQ(b.line.writes.size(), 5u);
    for (const auto& w : b.line.writes) EXPECT_EQ(w, (std::vector<std::uint8_t>{0x73, 0x6B}));
    std::vector<std::uint32_t> bauds;
    for (const auto& c : b.line.configurations) bauds.push_back(c.baud);
    EXPECT_EQ(bauds, (std::vector<std::uint32_t>{1200, 300, 600, 1200, 2400, 3200, 1200}));
    EXPECT_EQ(b.line.configurations.back().parity, Parity::Odd);
    EXPECT_EQ(b.s.settings.linkType, kLinkDirect);
    EXPECT_EQ(b.s.settings.portSpeedIndex, 0);
}

TEST(ReceiveAnswer, EnterDuringThePauseOfSpeedOptionOneEndsWithNothing) {
    LinkBench b;
    b.s.settings.hartSpeedIndex = 1;
    b.line.scheduleBytes(30 * kMs, ShortAnswer());
    b.ui.onProcessEvents = [&] {
        if (b.clock.nowUs() >= 50 * kMs) b.s.flags.enterPressed = true;
    };
    EXPECT_EQ(ReceiveAnswer(b.s, 1000, 300, 0x06), 0u);
    EXPECT_LT(b.clock.nowUs(), 120 * kMs);
}

TEST(ReceiveAnswer, PauseOfSpeedOptionOneKeepsWhatArrivedDuringIt) {
    LinkBench b;
    b.s.settings.hartSpeedIndex = 1;
    b.s.filter.expectedShortAddress = 1;
    b.line.scheduleBytes(30 * kMs, ShortAnswer());
    EXPECT_EQ(ReceiveAnswer(b.s, 1000, 300, 0x06), 7u);
    EXPECT_GE(b.clock.nowUs(), 120 * kMs);
}

TEST(ReceiveAnswer, ReceiveErrorAfterBytesEndsTheReadWithTheirBits) {
    LinkBench b;
    b.s.filter.expectedShortAddress = 16;
    auto answer = ShortAnswer();
    b.line.scheduleBytes(10 * kMs, {answer.begin(), answer.begin() + 3});
    b.ui.onProcessEvents = [&] {
        if (b.clock.nowUs() >= 14 * kMs && b.s.buffer.rawAnswerCount == 3) b.line.pendingErrors = kLineParity | 0x01;
    };
    EXPECT_EQ(ReceiveAnswer(b.s, 1000, 300, 0x06), 3u);
    EXPECT_EQ(b.s.buffer.lineErrors, kLineParity);
}

TEST(ReceiveAnswer, AddressMismatchDiscardsAndTheSearchGoesOn) {
    LinkBench b;
    ExchangeBuffer req;
    BuildLongRequest(req, 3);
    FinishRequest(req, 0, {0x26, 0x0F, 0x09, 0x29, 0x64}, 1);
    b.s.filter = PrepareAnswerFilter(req);
    // A burst-mode frame from another device, then ours.
    b.line.scheduleBytes(10 * kMs, WithCheckByte({0x86, 0x26, 0x0F, 0x09, 0x29, 0x65, 0x03, 0x02, 0x00, 0x00}));
    auto ours = WithCheckByte({0x86, 0xA6, 0x0F, 0x09, 0x29, 0x64, 0x03, 0x02, 0x00, 0x00});
    b.line.scheduleBytes(40 * kMs, ours);
    ASSERT_EQ(ReceiveAnswer(b.s, 1000, 300, 0x86), ours.size());
    EXPECT_EQ(b.s.buffer.response[5], 0x64);
}

TEST(ReceiveAnswer, TunnelIgnoresAnswersForAnotherFlowComputer) {
    LinkBench b;
    b.s.settings.linkType = kLinkTunnel;
    b.s.settings.tunnelAddress = 7;
    b.line.schedule(10 * kMs, {0x66, 0x08, 0x09, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00});
    b.line.schedule(30 * kMs, {0x66, 0x07, 0x09, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(ReceiveAnswer(b.s, 1000, 300, 0x66), 9u);
    EXPECT_EQ(b.s.buffer.response[1], 0x07);
}

TEST(Ports, IndexBeyondTheListFallsBackToNoPort) {
    LinkBench b;
    b.s.settings.portIndex = 5;
    EXPECT_EQ(PortNameFromIndex(b.s), "");
    EXPECT_EQ(b.s.settings.portIndex, 0);
    b.s.settings.portIndex = -2;
    EXPECT_EQ(PortNameFromIndex(b.s), "");
    EXPECT_EQ(b.s.settings.portIndex, 0);
}

TEST(Ports, ScanKeepsBusyForbiddenAndFaultyPortsButNotMissingOnes) {
    LinkBench b;
    b.ports.failures["ttyBUSY"] = OpenFailure::Busy;
    b.ports.failures["ttyBAD"] = OpenFailure::Faulty;
    b.ports.failures["ttyGONE"] = OpenFailure::NotFound;
    b.ports.failures["ttyUSB0"] = OpenFailure::AccessDenied;
    ScanPorts(b.s);
    EXPECT_EQ(b.s.port.portList, (std::vector<std::string>{"", "ttyFAKE", "ttyBAD", "ttyBUSY", "ttyUSB0"}));
}

TEST(Ports, OpenFailureShowsTheSystemTextAndDeselectsThePort) {
    LinkBench b;
    b.ports.failures["ttyBUSY"] = OpenFailure::Busy;
    ScanPorts(b.s);
    b.s.settings.portIndex = 2;  // ttyBUSY
    OpenPort(b.s);
    EXPECT_FALSE(PortIsOpen(b.s));
    EXPECT_EQ(b.s.settings.portIndex, 0);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "Отказано в доступе");
    EXPECT_EQ(b.ui.messages[0].caption, "GetLastError");
    EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Information);
}

TEST(Ports, RefusedLineSettingsCloseThePortWithTheSystemText) {
    LinkBench b;
    b.line.refuseConfigure = true;
    OpenPort(b.s);
    EXPECT_FALSE(PortIsOpen(b.s));
    EXPECT_EQ(b.s.settings.portIndex, 0);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "Недопустимый параметр");
}

TEST(Ports, OpenRaisesDtrAndUsesTheLinkLineSettings) {
    LinkBench b;
    EXPECT_TRUE(b.line.dtr);
    ASSERT_FALSE(b.line.configurations.empty());
    EXPECT_EQ(b.line.configurations.back().baud, 1200u);
    EXPECT_EQ(b.line.configurations.back().parity, Parity::Odd);
}

// The system raises RTS on opening; a keyed modem would hold its carrier on
// the loop until the first request.
TEST(Ports, EveryOpeningDropsRtsBeforeAnythingElse) {
    struct Case {
        const char* name;
        void (*reopen)(LinkState&);
    } cases[] = {
        {"OpenPort", [](LinkState& s) { OpenPort(s); }},
        {"RestartPort direct", [](LinkState& s) { RestartPort(s, kLinkDirect); }},
        {"RestartPort tunnel", [](LinkState& s) { RestartPort(s, kLinkTunnel); }},
        {"EnsurePortOpen", [](LinkState& s) {
             ClosePort(s);
             EnsurePortOpen(s);
         }},
    };
    for (const auto& c : cases) {
        LinkBench b;
        b.line.calls.clear();
        c.reopen(b.s);
        ASSERT_TRUE(PortIsOpen(b.s)) << c.name;
        ASSERT_GE(b.line.calls.size(), 2u) << c.name;
        EXPECT_EQ(b.line.calls[0], "open") << c.name;
        EXPECT_EQ(b.line.calls[1], "rts-") << c.name;
        // Nothing raises it again until a frame is sent, and DTR is up.
        EXPECT_EQ(std::count(b.line.calls.begin(), b.line.calls.end(), "rts+"), 0) << c.name;
        EXPECT_FALSE(b.line.rts.back().first) << c.name;
        EXPECT_TRUE(b.line.dtr) << c.name;

        const std::uint8_t frame[2] = {0x73, 0x6B};
        SendFrame(b.s, frame, 2);
        ASSERT_FALSE(b.line.rts.empty());
        EXPECT_FALSE(b.line.rts.back().first) << c.name;
    }
}

TEST(InterExchangePause, SixtyMillisecondsOnlyForTheRs485SpeedOptions) {
    for (int option = 0; option < 6; ++option) {
        LinkBench b;
        b.s.settings.hartSpeedIndex = option;
        InterExchangePause(b.s);
        const bool pauses = option >= 2 && option <= 4;
        EXPECT_EQ(b.clock.nowUs(), pauses ? 60 * kMs : 0) << option;
    }
    LinkBench b;
    b.s.settings.hartSpeedIndex = 2;
    b.ui.onProcessEvents = [&] {
        if (b.clock.nowUs() >= 20 * kMs) b.s.flags.stopRequested = true;
    };
    InterExchangePause(b.s);
    EXPECT_LT(b.clock.nowUs(), 60 * kMs);
}

}  // namespace
}  // namespace quillon::testing
