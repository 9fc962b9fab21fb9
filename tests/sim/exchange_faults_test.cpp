#include <gtest/gtest.h>

#include "link/exchange.h"
#include "link/frame_codec.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using sim::Fault;
using testing::SimBench;

struct FaultCase {
    Fault fault;
    int expected;
};

class ExchangeAgainstFaults : public ::testing::TestWithParam<FaultCase> {};

// A corrupt answer must never pass as a good one, whichever way it is broken.
TEST_P(ExchangeAgainstFaults, ResultMatchesTheFault) {
    const auto& c = GetParam();
    for (bool longFrame : {true, false}) {
        SimBench b("rev6");
        b.faults().set(c.fault);
        if (longFrame)
            BuildLongRequest(b.state.buffer, 1);
        else
            BuildShortRequest(b.state.buffer, 1);
        EXPECT_EQ(Exchange(b.state), c.expected) << sim::FaultName(c.fault) << (longFrame ? " long" : " short");
        // A one-shot fault is gone: the next exchange is clean.
        EXPECT_EQ(Exchange(b.state), ExchangeOk) << sim::FaultName(c.fault) << " then clean";
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllFaults, ExchangeAgainstFaults,
    ::testing::Values(FaultCase{Fault::None, ExchangeOk}, FaultCase{Fault::NoAnswer, ExchangeNoAnswer},
                      FaultCase{Fault::WrongCheckByte, ExchangeBadAnswer},
                      FaultCase{Fault::CutShort, ExchangeBadAnswer}, FaultCase{Fault::Stall, ExchangeBadAnswer},
                      FaultCase{Fault::NoiseBeforeStart, ExchangeOk}, FaultCase{Fault::ExtraByte, ExchangeOk},
                      FaultCase{Fault::Oversized, ExchangeBadAnswer}, FaultCase{Fault::WrongAddress, ExchangeNoAnswer}),
    [](const auto& info) {
        std::string name(sim::FaultName(info.param.fault));
        std::erase(name, '-');
        return name;
    });

TEST(ExchangeAgainstFaults, ExtraByteIsNotPartOfTheAnswer) {
    SimBench b("rev6");
    b.faults().set(Fault::ExtraByte);
    BuildLongRequest(b.state.buffer, 1);
    ASSERT_EQ(Exchange(b.state), ExchangeOk);
    // Command 1 answers unit + float: byte count 7, a long frame of 16 bytes.
    EXPECT_EQ(b.state.buffer.responseCount, 16);
}

TEST(ExchangeAgainstFaults, StalledAnswerEndsOneNextByteWaitAfterTheLastByte) {
    SimBench b("rev6");
    b.state.settings.nextByteWait = 300;
    b.faults().set(Fault::Stall);
    BuildLongRequest(b.state.buffer, 1);
    const std::int64_t start = b.clock.nowUs();
    ASSERT_EQ(Exchange(b.state), ExchangeBadAnswer);
    const std::int64_t elapsedMs = (b.clock.nowUs() - start) / 1000;
    // Request (9 + 9 bytes) and half the answer at 11 bits/1200 baud, then the wait.
    EXPECT_GT(elapsedMs, 300 + 150);
    EXPECT_LT(elapsedMs, 300 + 600);
    EXPECT_GT(b.state.buffer.responseCount, 0);
    EXPECT_LT(b.state.buffer.responseCount, 16);
}

TEST(ExchangeAgainstFaults, LateRestOfAStalledAnswerDoesNotSpoilTheNextExchange) {
    SimBench b("rev6");
    b.faults().set(Fault::Stall);
    // The rest arrives while the next request is on its way (the tool gives
    // up 300 ms after the first half, the request takes 165 ms).
    b.faults().stallUs = 350'000;
    BuildLongRequest(b.state.buffer, 1);
    ASSERT_EQ(Exchange(b.state), ExchangeBadAnswer);
    BuildLongRequest(b.state.buffer, 1);
    EXPECT_EQ(Exchange(b.state), ExchangeOk);
    EXPECT_EQ(b.state.buffer.rawAnswer[0], 0xFF);  // preambles first: the leftover was purged
    EXPECT_EQ(b.line().pendingBytes(), 0u);
}

TEST(ExchangeAgainstFaults, PersistentFaultStaysUntilCleared) {
    SimBench b("rev6");
    b.faults().set(Fault::WrongCheckByte, true);
    for (int i = 0; i < 3; ++i) {
        BuildLongRequest(b.state.buffer, 1);
        EXPECT_EQ(Exchange(b.state), ExchangeBadAnswer) << i;
    }
    b.faults().clear();
    EXPECT_EQ(Exchange(b.state), ExchangeOk);
}

TEST(ExchangeAgainstFaults, ReceiveErrorsEndTheAnswerAndAreReported) {
    for (int flags : {kLineParity, kLineFraming, kLineOverrun}) {
        SimBench b("rev6");
        b.line().injectLineError({flags, 8, false});
        BuildLongRequest(b.state.buffer, 1);
        EXPECT_EQ(Exchange(b.state), ExchangeBadAnswer) << flags;
        EXPECT_EQ(b.state.buffer.lineErrors, flags);
        EXPECT_EQ(Exchange(b.state), ExchangeOk) << flags;
        EXPECT_EQ(b.state.buffer.lineErrors, 0);
    }
}

TEST(ExchangeAgainstFaults, CorruptRequestGetsNoAnswer) {
    SimBench b("rev6");
    std::vector<std::string> log;
    b.log([&log](const std::string& line) { log.push_back(line); });
    b.state.settings.firstByteWait = 200;
    // Sent behind Exchange's back: a frame whose check byte is wrong.
    const std::uint8_t bad[] = {0xFF, 0xFF, 0x82, 0x26, 0x16, 0x01, 0x00, 0x20, 0x01, 0x00, 0x00};
    b.state.port.handle->write(bad, sizeof bad);
    b.clock.advanceUs(2'000'000);
    std::uint8_t in[64];
    EXPECT_EQ(b.state.port.handle->read(in, sizeof in), 0);
    EXPECT_EQ(b.device().answered, 0u);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "?? corrupt request, ignored: 82 26 16 01 00 20 01 00 00");
}

TEST(SimulatedPortSystem, OpenFailuresAndScan) {
    SimBench b("rev6");
    sim::SimDevice other(sim::Preset("rev8"));
    sim::DeviceEndpoint otherEnd(other);
    b.ports.addPort("sim1", otherEnd).busy = true;
    OpenError error;
    EXPECT_EQ(b.ports.open("nope", error), nullptr);
    EXPECT_EQ(error.kind, OpenFailure::NotFound);
    EXPECT_EQ(b.ports.open("sim1", error), nullptr);
    EXPECT_EQ(error.kind, OpenFailure::Busy);
    ScanPorts(b.state);  // a busy port is still offered
    EXPECT_EQ(b.state.port.portList, (std::vector<std::string>{"", "sim0", "sim1"}));

    b.line().refuseConfigure = true;
    OpenPort(b.state);
    EXPECT_FALSE(PortIsOpen(b.state));
    EXPECT_EQ(b.state.settings.portIndex, 0);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].caption, "GetLastError");
}

TEST(SimulatedPortSystem, FarEndAtAnotherSpeedHearsNothing) {
    SimBench b("rev6");
    b.line().farEndLine = LineSettings{1200, Parity::Odd};
    b.state.settings.hartSpeedIndex = 2;  // 19200, no parity
    OpenPort(b.state);
    BuildLongRequest(b.state.buffer, 1);
    EXPECT_EQ(Exchange(b.state), ExchangeNoAnswer);
    b.state.settings.hartSpeedIndex = 0;
    OpenPort(b.state);
    EXPECT_EQ(Exchange(b.state), ExchangeOk);
}

}  // namespace
}  // namespace quillon
