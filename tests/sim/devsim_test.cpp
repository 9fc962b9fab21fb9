#include <gtest/gtest.h>

#include "sim/devsim_console.h"
#include "sim/devsim_options.h"
#include "sim/real_time_wire.h"

namespace quillon::sim {
namespace {

TEST(DevsimOptions, ValuesReachTheProfileAndTheLine) {
    std::string error;
    auto o = ParseDevsimOptions({"--preset", "rev14", "--software-revision", "15", "--long-address", "260F092964",
                                 "--short-address", "5", "--preambles", "8", "--turnaround-ms", "50", "--fault",
                                 "stall", "--hart-speed", "2", "--locked", "--refusal-code", "16"},
                                error);
    ASSERT_TRUE(o) << error;
    const auto p = o->profile();
    EXPECT_EQ(p.softwareRevision, 15);
    EXPECT_EQ(p.hardwareRevision, 0x20);  // from the preset
    EXPECT_EQ(p.longAddress, (std::array<std::uint8_t, 5>{0x26, 0x0F, 0x09, 0x29, 0x64}));
    EXPECT_EQ(p.shortAddress, 5);
    EXPECT_EQ(p.responsePreambles, 8);
    EXPECT_EQ(p.settings.at(kSettingPreambles), 8u);
    EXPECT_TRUE(p.protection.locked);
    EXPECT_EQ(p.protection.refusalCode, 16);
    EXPECT_EQ(o->fault, Fault::Stall);
    EXPECT_EQ(o->line().baud, 19200u);
    EXPECT_EQ(o->line().parity, Parity::None);
}

TEST(DevsimOptions, LineDefaultsAndOverrides) {
    struct Case {
        std::vector<std::string> args;
        std::uint32_t baud;
        Parity parity;
    } cases[] = {
        {{}, 1200, Parity::Odd},
        {{"--flow-computer"}, 9600, Parity::None},
        {{"--flow-computer", "--tunnel-speed", "15"}, 115200, Parity::None},
        {{"--baud", "2400", "--parity", "none"}, 2400, Parity::None},
    };
    for (const auto& c : cases) {
        std::string error;
        auto o = ParseDevsimOptions(c.args, error);
        ASSERT_TRUE(o) << error;
        EXPECT_EQ(o->line().baud, c.baud);
        EXPECT_EQ(o->line().parity, c.parity);
    }
}

TEST(DevsimOptions, RejectsWhatCannotBeServed) {
    const std::vector<std::vector<std::string>> bad = {
        {"--preset", "rev2"},
        {"--long-address", "26"},
        {"--long-address", "26Z0092964"},
        {"--short-address", "64"},
        {"--parity", "even"},
        {"--fc-format", "22"},
        {"--fc-line", "5"},
        {"--fault", "gremlins"},
        {"--refusal-code", "128"},
        {"--name", "a/b"},
        {"--bogus"},
        {"--baud"},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(ParseDevsimOptions(args, error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(DevsimConsole, CommandsActOnDeviceAndFaults) {
    SimDevice device(Preset("rev6"));
    FaultPlan deviceFaults, fcFaults;
    ConsoleTarget t{device, deviceFaults, nullptr};

    RunConsoleCommand("lock 16", t);
    EXPECT_TRUE(device.locked());
    EXPECT_EQ(device.profile().protection.refusalCode, 16);
    RunConsoleCommand("button", t);
    EXPECT_FALSE(device.locked());

    RunConsoleCommand("fault cut-short", t);
    EXPECT_EQ(deviceFaults.take(), Fault::CutShort);
    EXPECT_EQ(deviceFaults.take(), Fault::None);  // once
    RunConsoleCommand("fault noise always", t);
    EXPECT_EQ(deviceFaults.take(), Fault::NoiseBeforeStart);
    EXPECT_EQ(deviceFaults.take(), Fault::NoiseBeforeStart);
    RunConsoleCommand("fault off", t);
    EXPECT_EQ(deviceFaults.current(), Fault::None);

    EXPECT_NE(RunConsoleCommand("fc-fault stall", t).reply.find("no flow computer"), std::string::npos);
    t.flowComputerFaults = &fcFaults;
    RunConsoleCommand("fc-fault stall", t);
    EXPECT_EQ(fcFaults.current(), Fault::Stall);

    EXPECT_NE(RunConsoleCommand("fault gremlins", t).reply.find("unknown"), std::string::npos);
    EXPECT_NE(RunConsoleCommand("status", t).reply.find("rev6"), std::string::npos);
    EXPECT_FALSE(RunConsoleCommand("help", t).quit);
    EXPECT_TRUE(RunConsoleCommand("quit", t).quit);
}

// An endpoint that answers every byte 0x55 with three bytes.
struct EchoThree : LineEndpoint {
    std::vector<std::int64_t> heardAt;
    Transmission next;
    std::optional<Transmission> hear(std::uint8_t byte, std::int64_t nowUs) override {
        heardAt.push_back(nowUs);
        if (byte != 0x55) return std::nullopt;
        return next;
    }
};

TEST(RealTimeWire, PacesRequestAndAnswerAtTheLineSpeed) {
    EchoThree end;
    end.next.bytes = {1, 2, 3};
    RealTimeWire wire(end, {1000, Parity::None}, 20'000);  // 10 ms a byte
    const std::uint8_t burst[] = {0xFF, 0xFF, 0x55};
    wire.hear(burst, 3, 1'000'000);
    // The burst came at once but was on the wire for three byte-times.
    EXPECT_EQ(end.heardAt, (std::vector<std::int64_t>{1'010'000, 1'020'000, 1'030'000}));
    // First answer byte complete one turnaround plus one byte-time after the request.
    ASSERT_EQ(wire.nextDueUs(), 1'060'000);
    EXPECT_TRUE(wire.takeDue(1'059'999).empty());
    EXPECT_EQ(wire.takeDue(1'065'000), (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(wire.takeDue(1'080'000), (std::vector<std::uint8_t>{2, 3}));
    EXPECT_FALSE(wire.nextDueUs());
}

TEST(RealTimeWire, PauseOfAStalledAnswerAndANewRequestDropsTheRest) {
    EchoThree end;
    end.next.bytes = {1, 2, 3};
    end.next.pauseAt = 1;
    end.next.pauseUs = 1'000'000;
    RealTimeWire wire(end, {1000, Parity::None}, 0);
    const std::uint8_t q = 0x55;
    wire.hear(&q, 1, 0);
    EXPECT_EQ(wire.takeDue(100'000), (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(wire.nextDueUs(), 1'030'000);
    end.next = {};
    end.next.bytes = {9};
    wire.hear(&q, 1, 200'000);  // the stalled rest is given up
    EXPECT_EQ(wire.takeDue(2'000'000), (std::vector<std::uint8_t>{9}));
}

}  // namespace
}  // namespace quillon::sim
