#include <gtest/gtest.h>

#include "link/exchange.h"
#include "link/frame_codec.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::SimBench;

TEST(SimFlowComputer, TunnelsARequestInBothFormats) {
    for (int format : {11, 33}) {
        for (int line : {1, 4}) {
            SimBench b("rev16");
            b.useFlowComputer({.address = 7, .password = "secret", .format = format, .line = line});
            BuildLongRequest(b.state.buffer, 0);
            ASSERT_EQ(Exchange(b.state), ExchangeOk) << format << "/" << line;
            EXPECT_EQ(b.state.buffer.response[0], 0x86);
            EXPECT_EQ(b.state.buffer.response[10], 254);
            EXPECT_EQ(b.state.buffer.response[16], 16);  // software revision in the unwrapped answer
            // The wire saw the wrapper, not preambles.
            ASSERT_FALSE(b.line().written.empty());
            EXPECT_EQ(b.line().written.back()[0], 0xBB);
        }
    }
}

TEST(SimFlowComputer, SouModeChecksPasswordAndUserId) {
    struct Case {
        std::string userId;
        int expected;
    } cases[] = {{"opr1", ExchangeOk}, {"opr2", ExchangeNoAnswer}};
    for (const auto& c : cases) {
        SimBench b("rev6");
        b.useFlowComputer({.address = 3, .password = "longpassword", .userId = "opr1", .souMode = true});
        b.state.settings.tunnelUserId = c.userId;
        b.ui.answerMessages({MessageAnswer::No});
        BuildLongRequest(b.state.buffer, 1);
        EXPECT_EQ(Exchange(b.state), c.expected) << c.userId;
    }
}

TEST(SimFlowComputer, WrongPasswordAsksWhetherToStop) {
    struct Case {
        MessageAnswer answer;
        int expected;
    } cases[] = {{MessageAnswer::Yes, ExchangeAborted}, {MessageAnswer::No, ExchangeNoAnswer}};
    for (const auto& c : cases) {
        SimBench b("rev6");
        b.useFlowComputer({.password = "right"});
        b.state.settings.tunnelPassword = "wrong";
        b.ui.answerMessages({c.answer});
        BuildLongRequest(b.state.buffer, 0);
        EXPECT_EQ(Exchange(b.state), c.expected);
        ASSERT_EQ(b.ui.messages.size(), 1u);
        EXPECT_EQ(b.ui.messages[0].text, "Неправильный пароль Brenta! Прекратить связь?");
        EXPECT_EQ(b.ui.messages[0].buttons, MessageButtons::YesNo);
    }
}

TEST(SimFlowComputer, ErrorsThatGiveNoTunnelAnswerOrNoAnswer) {
    struct Case {
        const char* what;
        void (*arrange)(SimBench&);
        int expected;
    } cases[] = {
        {"foreign address", [](SimBench& b) { b.state.settings.tunnelAddress = 99; }, ExchangeNoTunnelAnswer},
        {"other line", [](SimBench& b) { b.state.settings.tunnelLine = 2; }, ExchangeNoAnswer},
        {"device silent", [](SimBench& b) { b.faults().set(sim::Fault::NoAnswer); }, ExchangeNoAnswer},
        {"bad HART check byte", [](SimBench& b) { b.faults().set(sim::Fault::WrongCheckByte); }, ExchangeBadAnswer},
        {"wrapper cut short", [](SimBench& b) { b.flowComputer()->faults().set(sim::Fault::CutShort); },
         ExchangeBadAnswer},
        {"format it does not take", [](SimBench& b) { b.flowComputer()->config().format = 11; }, ExchangeNoAnswer},
        {"wrapper from another address", [](SimBench& b) { b.flowComputer()->faults().set(sim::Fault::WrongAddress); },
         ExchangeNoTunnelAnswer},
    };
    for (const auto& c : cases) {
        SimBench b("rev6");
        b.useFlowComputer({.address = 5, .format = 33, .line = 2});
        c.arrange(b);
        BuildLongRequest(b.state.buffer, 1);
        EXPECT_EQ(Exchange(b.state), c.expected) << c.what;
        EXPECT_TRUE(b.ui.messages.empty()) << c.what;
    }
}

// The device's own faults reach the tool inside an intact wrapper; the HART
// frame inside gets the direct link's rules.
TEST(SimFlowComputer, TheHartAnswerInsideIsJudgedLikeADirectOne) {
    struct Case {
        const char* what;
        sim::Fault fault;
        int expected;
    } cases[] = {
        {"answer under another address", sim::Fault::WrongAddress, ExchangeBadAnswer},
        {"one byte after the check byte", sim::Fault::ExtraByte, ExchangeOk},
    };
    for (const auto& c : cases) {
        SimBench b("rev6");
        b.useFlowComputer({.address = 5});
        b.faults().set(c.fault);
        BuildLongRequest(b.state.buffer, 1);
        EXPECT_EQ(Exchange(b.state), c.expected) << c.what;
        if (c.expected == ExchangeOk) {
            EXPECT_EQ(b.state.buffer.responseCount, AnswerByteCount(b.state.buffer) + 9u) << c.what;
        }
    }
}

}  // namespace
}  // namespace quillon
