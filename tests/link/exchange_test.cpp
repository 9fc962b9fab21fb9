#include <gtest/gtest.h>

#include "app/app_state.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/key_hook.h"
#include "link/link_bench.h"

namespace quillon::testing {
namespace {

constexpr std::int64_t kMs = 1000;

// Command 0 in a short frame to polling address 1, and the device's answer.
void AskIdentity(AppState& s) {
    s.settings.shortAddress = 1;
    BuildShortRequest(s.buffer, 0);
}
std::vector<std::uint8_t> IdentityAnswer(std::uint8_t code = 0) {
    return WithCheckByte({0x06, 0x01, 0x00, 0x04, code, 0x00, 0xFE, 0x26});
}

TEST(Exchange, ShortRequestGoesOutWithNinePreambles) {
    LinkBench b;
    b.s.settings.shortAddress = 1;
    b.s.settings.masterAddress = 1;
    BuildShortRequest(b.s.buffer, 0x11, {0xAA, 0xBB, 0xCC});
    b.line.scheduleBytes(300 * kMs, WithCheckByte({0x06, 0x81, 0x11, 0x02, 0x00, 0x00}));
    EXPECT_EQ(Exchange(b.s), ExchangeOk);
    ASSERT_EQ(b.line.writes.size(), 1u);
    const std::vector<std::uint8_t> expected{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                             0x02, 0x81, 0x11, 0x03, 0xAA, 0xBB, 0xCC, 0x4C};
    EXPECT_EQ(b.line.writes[0], expected);
    EXPECT_EQ(b.s.buffer.responseCount, 7);
}

TEST(Exchange, Results) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> answer;
        int expected;
    } cases[] = {
        {"valid", IdentityAnswer(), ExchangeOk},
        {"valid with an error code", IdentityAnswer(64), ExchangeOk},
        {"nothing", {}, ExchangeNoAnswer},
        {"wrong check byte", {0x06, 0x01, 0x00, 0x04, 0x00, 0x00, 0xFE, 0x26, 0x00}, ExchangeBadAnswer},
        {"cut short", {0x06, 0x01, 0x00, 0x04, 0x00, 0x00}, ExchangeBadAnswer},
        {"only the start byte", {0x06}, ExchangeBadAnswer},
        // Intact, but the answer to a command 1 asked earlier, come too late.
        {"answer naming another command", WithCheckByte({0x06, 0x01, 0x01, 0x04, 0x00, 0x00, 0xFE, 0x26}),
         ExchangeBadAnswer},
    };
    for (const auto& c : cases) {
        LinkBench b;
        AskIdentity(b.s);
        b.line.scheduleBytes(300 * kMs, c.answer);  // after the 156 ms the request takes
        EXPECT_EQ(Exchange(b.s), c.expected) << c.name;
    }
}

TEST(Exchange, BadRequestIsNotSent) {
    LinkBench b;
    b.s.buffer.request[0] = 0x03;
    EXPECT_EQ(Exchange(b.s), ExchangeBadRequest);
    EXPECT_TRUE(b.line.writes.empty());
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "Bad request");
    EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(b.ui.messages[0].buttons, MessageButtons::Ok);
}

TEST(Exchange, NoPortOnTheDirectLinkAbortsAndAsksPollingToStop) {
    LinkBench b;
    ClosePort(b.s);
    AskIdentity(b.s);
    EXPECT_EQ(Exchange(b.s), ExchangeAborted);
    EXPECT_TRUE(b.s.flags.stopRequested);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "COM-port not selected!");
    EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Error);
}

TEST(Exchange, UnknownLinkTypeIsNoAnswerWithoutSending) {
    LinkBench b;
    b.s.settings.linkType = 2;
    AskIdentity(b.s);
    EXPECT_EQ(Exchange(b.s), ExchangeNoAnswer);
    EXPECT_TRUE(b.line.writes.empty());
}

TEST(Exchange, EnterOrEscWhileWaitingAbortsAndClearsTheFlags) {
    for (int key : {kKeyEnter, kKeyEsc}) {
        LinkBench b;
        AskIdentity(b.s);
        b.line.scheduleBytes(800 * kMs, IdentityAnswer());
        b.ui.onProcessEvents = [&] {
            if (b.clock.nowUs() >= 300 * kMs) KeyHook(b.s.flags, key);
        };
        EXPECT_EQ(Exchange(b.s), ExchangeAborted) << key;
        EXPECT_FALSE(b.s.flags.enterPressed);
        EXPECT_FALSE(b.s.flags.stopRequested);
        EXPECT_LT(b.clock.nowUs(), 400 * kMs) << "the wait ends at once";
    }
}

TEST(Exchange, KeyPressedBeforeTheExchangeDoesNotInterruptIt) {
    LinkBench b;
    AskIdentity(b.s);
    KeyHook(b.s.flags, kKeyEsc);
    KeyHook(b.s.flags, kKeyEnter);
    b.line.scheduleBytes(300 * kMs, IdentityAnswer());
    EXPECT_EQ(Exchange(b.s), ExchangeOk);
}

TEST(KeyHook, MapsTheThreeKeysAndIgnoresOthers) {
    struct Case {
        int key;
        InterruptFlags expected;
    } cases[] = {
        {0x73, {false, false, true}},  {0x0D, {true, false, false}},  {0x1B, {false, true, false}},
        {0x74, {false, false, false}}, {0x20, {false, false, false}},
    };
    for (const auto& c : cases) {
        InterruptFlags f;
        KeyHook(f, c.key);
        EXPECT_EQ(f.enterPressed, c.expected.enterPressed) << c.key;
        EXPECT_EQ(f.stopRequested, c.expected.stopRequested) << c.key;
        EXPECT_EQ(f.resetRequested, c.expected.resetRequested) << c.key;
    }
}

TEST(AttemptLoop, AnnouncesEachAttemptAndStopsAtTheLimit) {
    LinkBench b;
    AskIdentity(b.s);
    const int result = RunAttemptLoop(b.s, "Узнаю длинный адрес. Попытка ", 5);
    EXPECT_EQ(result, ExchangeNoAnswer);
    std::size_t requests = 0;
    for (const auto& w : b.line.writes) requests += w.size() == 14;  // the rest wake a silent flow computer
    EXPECT_EQ(requests, 5u);
    const std::vector<std::string> expected{"Запрос к  устройству ...",       "Узнаю длинный адрес. Попытка 1",
                                            "Узнаю длинный адрес. Попытка 2", "Узнаю длинный адрес. Попытка 3",
                                            "Узнаю длинный адрес. Попытка 4", "Узнаю длинный адрес. Попытка 5"};
    EXPECT_EQ(b.ui.progressTexts, expected);
    EXPECT_FALSE(b.ui.progressOpen);
}

TEST(AttemptLoop, SuccessEndsTheLoop) {
    LinkBench b;
    AskIdentity(b.s);
    b.line.scheduleBytes(2500 * kMs, IdentityAnswer());  // the third attempt gets it
    EXPECT_EQ(RunAttemptLoop(b.s, "Попытка ", kNoAttemptLimit), ExchangeOk);
    EXPECT_EQ(b.line.writes.size(), 3u);
}

TEST(AttemptLoop, NoPortEndsAfterTheFirstAttempt) {
    LinkBench b;
    ClosePort(b.s);
    AskIdentity(b.s);
    EXPECT_EQ(RunAttemptLoop(b.s, "Попытка ", kNoAttemptLimit), ExchangeAborted);
    EXPECT_EQ(b.ui.messages.size(), 1u);
    EXPECT_FALSE(b.ui.progressOpen);
}

TEST(AttemptLoop, BadRequestIsNotRepeated) {
    LinkBench b;
    b.s.buffer.request[0] = 0x00;
    EXPECT_EQ(RunAttemptLoop(b.s, "Попытка ", kNoAttemptLimit), ExchangeBadRequest);
    EXPECT_EQ(b.ui.messages.size(), 1u);
}

}  // namespace
}  // namespace quillon::testing
