#include <gtest/gtest.h>

#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::SimBench;

// Counts the requests of command 0 and leaves the first `silent` unanswered.
std::shared_ptr<int> AnswerAfter(SimBench& b, int silent) {
    auto count = std::make_shared<int>(0);
    auto original = b.device().commands()[0];
    b.device().commands()[0] = [&b, count, silent, original](sim::SimDevice& d, const sim::HartRequest& q) {
        if (++*count <= silent) b.faults().set(sim::Fault::NoAnswer);
        return original(d, q);
    };
    return count;
}

TEST(ReadPattern, TextWithoutNumberAndAtMostFiveAttempts) {
    const struct {
        int silent;
        int result;
        int requests;
    } cases[] = {{0, ExchangeOk, 1}, {4, ExchangeOk, 5}, {5, ExchangeNoAnswer, 5}, {50, ExchangeNoAnswer, 5}};
    for (const auto& c : cases) {
        SimBench b("rev6");
        auto count = AnswerAfter(b, c.silent);
        BuildLongRequest(b.state.buffer, 0);
        EXPECT_EQ(RunReadPattern(b.state, "Узнаю параметры АЦП"), c.result);
        EXPECT_EQ(*count, c.requests);
        EXPECT_EQ(b.ui.progressTexts, (std::vector<std::string>{"Запрос к  устройству ...", "Узнаю параметры АЦП"}));
        EXPECT_FALSE(b.ui.progressOpen);
    }
}

TEST(WritePattern, NumbersEveryAttemptAndHasNoLimit) {
    SimBench b("rev6");
    auto count = AnswerAfter(b, 7);
    BuildLongRequest(b.state.buffer, 0);
    EXPECT_EQ(RunWritePattern(b.state, "Пишу параметры АЦП. Попытка "), ExchangeOk);
    EXPECT_EQ(*count, 8);
    ASSERT_EQ(b.ui.progressTexts.size(), 9u);
    EXPECT_EQ(b.ui.progressTexts[1], "Пишу параметры АЦП. Попытка 1");
    EXPECT_EQ(b.ui.progressTexts[8], "Пишу параметры АЦП. Попытка 8");
    EXPECT_FALSE(b.ui.progressOpen);
}

TEST(AttemptPatterns, AbortEndsBothAtOnce) {
    for (bool write : {false, true}) {
        SimBench b("rev6");
        auto count = AnswerAfter(b, 1000);
        b.ui.onProcessEvents = [&b] { b.state.flags.stopRequested = true; };
        BuildLongRequest(b.state.buffer, 0);
        const int result = write ? RunWritePattern(b.state, "Пишу. Попытка ") : RunReadPattern(b.state, "Узнаю");
        EXPECT_EQ(result, ExchangeAborted);
        EXPECT_EQ(*count, 1);
        EXPECT_FALSE(b.ui.progressOpen);
    }
}

}  // namespace
}  // namespace quillon
