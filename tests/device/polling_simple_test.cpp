#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "device/polling.h"
#include "link/exchange.h"
#include "polling_test_support.h"

namespace quillon::testing {
namespace {

namespace fs = std::filesystem;

const WallClock kFixedClock = [] { return std::chrono::system_clock::time_point{} + std::chrono::hours(24 * 20795); };

ViewRecord& LastView(SimBench& b) {
    EXPECT_FALSE(b.ui.views.empty());
    return *b.ui.views.back();
}

// The four variables of request 3 land in their own labels.
TEST(SimplePoll, Request3WithFourVariables) {
    SimBench b(SteadyProfile("rev6", {Steady(32, 21.5f), Steady(32, 24.25f), Steady(0, -3.5f), Steady(237, 100.0f)}),
               true);
    MarkIdentified(b);
    StopAfterAnswers(b, 2);
    AskReq3Command(b.state);

    auto& v = LastView(b);
    EXPECT_EQ(v.caption, "Статистика.  F4 - Reset, Enter - Stop");
    EXPECT_EQ(v.texts["ValueLabel"], "21.5000000");
    EXPECT_EQ(v.texts["UnitLabel"], "град. Цельс");
    EXPECT_EQ(v.history["UnitLabel"].size(), 1u) << "the unit is set only when it changes";
    EXPECT_EQ(v.texts["PeriodLabel"], "Ток = 12.0000000 mA");
    EXPECT_TRUE(v.visible["PeriodLabel"]);
    EXPECT_EQ(v.texts["Val2Label"], "2-я перем.= 24.2500000 град. Цельс");
    EXPECT_EQ(v.texts["Val3Label"], "3-я перем.= -3.5000000 ?");
    EXPECT_EQ(v.texts["Val4Label"], "4-я перем.= 100.0000000 MPa");
    for (const char* label : {"Val2Label", "Val3Label", "Val4Label"}) EXPECT_TRUE(v.visible[label]) << label;
    EXPECT_EQ(v.texts["StatusLabel"], "OK!");
    EXPECT_EQ(v.texts["MediaLabel"], "21.5000000");
    // The counts are shown before each request: the third request was aborted.
    EXPECT_EQ(v.texts["ZaprosovLabel"], "2");
    EXPECT_EQ(v.texts["OtvetovLabel"], "2");
    EXPECT_EQ(v.texts["RightOtvetovLabel"], "2");
    // Direct link: the raw bytes of the last answer, preambles included.
    EXPECT_TRUE(v.visible["TxtMemo"]);
    const auto& memoHistory = v.history["TxtMemo"];
    ASSERT_GE(memoHistory.size(), 2u);
    EXPECT_EQ(memoHistory.back().rfind("FF FF ", 0), 0u) << memoHistory.back();
    EXPECT_NE(memoHistory.back().find(" 86 "), std::string::npos);
    EXPECT_EQ(v.trend.size(), 2u);
    EXPECT_EQ(v.texts["BitBtn1"], "Выход");
    EXPECT_TRUE(v.waitedForClose);
}

// Shapes that are not a value: the status line explains and no value is shown.
TEST(SimplePoll, WrongShapesAndStatusBytes) {
    struct Case {
        const char* name;
        sim::HartReply reply;
        std::uint8_t deviceStatus;
        const char* status;
        const char* value;
    } cases[] = {
        {"one variable (byte count 11)", FloatReply(0, {{32, 20.0f}}, 12.0f), 0, "Не посчитано; ", "----------"},
        {"code 64, no data", FloatReply(64, {}), 0, "Нет измерений; Команда не задействована; ", "----------"},
        {"code 8, no data", FloatReply(8, {}), 0, "Ошибка обновления; Неудача при обновлении; ", "----------"},
        {"status 0x48", FloatReply(0, {{32, 20.0f}, {32, 1.0f}}, 12.0f), 0x48,
         "Ток фиксирован; Конфигурация изменена; ", "20.0000000"},
        {"status 0x01", FloatReply(0, {{32, 20.0f}, {32, 1.0f}}, 12.0f), 0x01, "StatusByte=0x01; ", "20.0000000"},
        {"code 6 with a value", FloatReply(6, {{32, 20.0f}, {32, 1.0f}}, 12.0f), 0xC9,
         "Ошибка Flash-памяти; Ток фиксирован; Конфигурация изменена; StatusByte=0x81; ", "20.0000000"},
    };
    for (const auto& c : cases) {
        SimBench b("rev6");
        MarkIdentified(b);
        b.device().profile().deviceStatus = c.deviceStatus;
        b.device().commands()[3] = [reply = c.reply](sim::SimDevice&, const sim::HartRequest&) { return reply; };
        StopAfterAnswers(b, 1);
        RunSimplePoll(b.state, PollRequest::Command3, kFixedClock);
        auto& v = LastView(b);
        EXPECT_EQ(v.texts["StatusLabel"], c.status) << c.name;
        EXPECT_EQ(v.texts["ValueLabel"], c.value) << c.name;
        // Every intact answer counts as answered and as correct, whatever its shape.
        EXPECT_EQ(v.history["OtvetovLabel"].back(), "1") << c.name;
        EXPECT_EQ(v.history["RightOtvetovLabel"].back(), "1") << c.name;
    }
}

TEST(SimplePoll, LineErrorsAndFailedExchanges) {
    SimBench b("rev6");
    MarkIdentified(b);
    b.line().injectLineError({0x04 | 0x08 | 0x02, 3, false});
    StopAfterAnswers(b, 1);
    RunSimplePoll(b.state, PollRequest::Command1, kFixedClock);
    auto& v = LastView(b);
    EXPECT_EQ(v.texts["StatusLabel"], "Parity Error; Frame Error; Overrun Error; ");
    EXPECT_EQ(v.texts["ValueLabel"], "----------");

    SimBench silent("rev6");
    MarkIdentified(silent);
    silent.faults().set(sim::Fault::NoAnswer, true);
    int polls = 0;
    silent.ui.onProcessEvents = [&] {
        // Each failed exchange waits out firstByteWait; stop during the third.
        if (silent.clock.nowUs() > 2'500'000 && ++polls) KeyHook(silent.state.flags, kKeyEsc);
    };
    RunSimplePoll(silent.state, PollRequest::Command1, kFixedClock);
    auto& w = LastView(silent);
    EXPECT_EQ(w.texts["StatusLabel"], "----------");
    EXPECT_EQ(w.texts["ValueLabel"], "----------");
    EXPECT_EQ(w.texts["ZaprosovLabel"], "2") << "failures do not stop the poll";
    EXPECT_EQ(w.texts["OtvetovLabel"], "0");
}

// Values in sequence from command 1; NaN is shown but kept out of everything.
void ValueSequence(SimBench& b, std::vector<float> values) {
    b.device().commands()[1] = [values, i = std::size_t{0}](sim::SimDevice&, const sim::HartRequest&) mutable {
        return FloatReply(0, {{32, values[std::min(i++, values.size() - 1)]}});
    };
}

class PollWithFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("quillon-poll-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::size_t FileSize(const fs::path& p) { return fs::exists(p) ? fs::file_size(p) : 0; }
    fs::path dir_;
};

TEST_F(PollWithFile, NanIsShownButNotRecordedNorCounted) {
    SimBench b("rev6");
    MarkIdentified(b);
    b.state.settings.resultFileEnabled = true;
    b.state.settings.resultFileName = (dir_ / "prot.ctr").string();
    ValueSequence(b, {1.0f, NanFloat(), 3.0f});
    StopAfterAnswers(b, 3);
    RunSimplePoll(b.state, PollRequest::Command1, kFixedClock);

    auto& v = LastView(b);
    EXPECT_EQ(v.history["ValueLabel"], (std::vector<std::string>{"----------", "1.0000000", "NAN", "3.0000000"}));
    EXPECT_EQ(v.texts["MinValLabel"], "1.0000000");
    EXPECT_EQ(v.texts["MaxValLabel"], "3.0000000");
    EXPECT_EQ(v.texts["MediaLabel"], "2.0000000");
    EXPECT_EQ(v.trend.size(), 2u);
    EXPECT_EQ(FileSize(dir_ / "prot.ctr"), 4 + 2 * kResultRecordSize);
    EXPECT_TRUE(b.ui.messages.empty());
}

TEST_F(PollWithFile, UnwritableFileIsSwitchedOffAndThePollGoesOn) {
    SimBench b("rev6");
    MarkIdentified(b);
    b.state.settings.resultFileEnabled = true;
    b.state.settings.resultFileName = (dir_ / "missing" / "prot.ctr").string();
    StopAfterAnswers(b, 2);
    RunSimplePoll(b.state, PollRequest::Command1, kFixedClock);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Error);
    EXPECT_FALSE(b.ui.messages[0].text.empty());
    EXPECT_FALSE(b.state.settings.resultFileEnabled);
    EXPECT_EQ(LastView(b).texts["OtvetovLabel"], "2");
}

TEST_F(PollWithFile, FileLostDuringThePoll) {
    SimBench b("rev6");
    MarkIdentified(b);
    const fs::path sub = dir_ / "sub";
    fs::create_directories(sub);
    b.state.settings.resultFileEnabled = true;
    b.state.settings.resultFileName = (sub / "prot.ctr").string();
    StopAfterAnswers(b, 3, [&](unsigned answered) {
        if (answered == 2) fs::remove_all(sub);  // the second value finds no folder
    });
    RunSimplePoll(b.state, PollRequest::Command1, kFixedClock);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text.rfind("Не могу записать в файл!\n", 0), 0u) << b.ui.messages[0].text;
    EXPECT_GT(b.ui.messages[0].text.size(), std::string("Не могу записать в файл!\n").size());
    EXPECT_FALSE(b.state.settings.resultFileEnabled);
    EXPECT_EQ(LastView(b).texts["OtvetovLabel"], "3");
}

TEST(SimplePoll, F4ResetMakesTheNextValueMinimumAndMaximum) {
    SimBench b("rev6");
    MarkIdentified(b);
    ValueSequence(b, {5.0f, 1.0f, 9.0f, 3.0f, 4.0f});
    // F4 while the third request is answered: the reset comes before the fourth.
    StopAfterAnswers(b, 5, [&](unsigned answered) {
        if (answered == 3) KeyHook(b.state.flags, kKeyF4);
    });
    RunSimplePoll(b.state, PollRequest::Command1, kFixedClock);
    auto& v = LastView(b);
    EXPECT_EQ(v.texts["MinValLabel"], "3.0000000");
    EXPECT_EQ(v.texts["MaxValLabel"], "4.0000000");
    EXPECT_EQ(v.texts["MediaLabel"], "3.5000000");
    EXPECT_EQ(v.texts["ZaprosovLabel"], "2");
    EXPECT_EQ(v.trend.size(), 2u);
    EXPECT_EQ(std::count(v.history["MinValLabel"].begin(), v.history["MinValLabel"].end(), "----------"), 2);
}

TEST(SimplePoll, MenuIsRemovedForThePollAndTheWindowWaitsForClose) {
    SimBench b("rev6");
    MarkIdentified(b);
    bool menuSeenDuringPoll = true;
    StopAfterAnswers(b, 1, [&](unsigned) { menuSeenDuringPoll = menuSeenDuringPoll && b.ui.mainMenuPresent; });
    b.ui.onWaitForClose = [&] { EXPECT_FALSE(b.ui.mainMenuPresent) << "no command may start before the window goes"; };
    RunSimplePoll(b.state, PollRequest::Command1, kFixedClock);
    EXPECT_FALSE(menuSeenDuringPoll);
    EXPECT_TRUE(b.ui.mainMenuPresent);
    auto& v = LastView(b);
    EXPECT_FALSE(v.visible["PeriodLabel"]);
    EXPECT_TRUE(v.waitedForClose);
    EXPECT_FALSE(b.state.flags.stopRequested);
}

// At HART speed option 2 each exchange is followed by a 60 ms pause; Enter
// pressed there must end the poll rather than be cleared by the next exchange.
TEST(SimplePoll, EnterDuringThePauseEndsThePoll) {
    SimBench b("rev6");
    MarkIdentified(b);
    b.state.settings.hartSpeedIndex = 2;
    OpenPort(b.state);
    bool pressed = false;
    StopAfterAnswers(b, 3, [&](unsigned) {
        const auto& values = b.ui.views.at(0)->history["ValueLabel"];
        if (!pressed && values.size() == 2) {  // the first value is shown: the pause runs
            pressed = true;
            KeyHook(b.state.flags, kKeyEnter);
        }
    });
    RunSimplePoll(b.state, PollRequest::Command1, kFixedClock);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(b.device().answered, 1u);
    EXPECT_FALSE(b.state.flags.enterPressed);
}

TEST(SimplePoll, NoPortEndsThePollAtOnce) {
    SimBench b("rev6");
    MarkIdentified(b);
    ClosePort(b.state);
    RunSimplePoll(b.state, PollRequest::Command1, kFixedClock);
    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"COM-port not selected!"});
    EXPECT_TRUE(LastView(b).waitedForClose);
    EXPECT_TRUE(b.ui.mainMenuPresent);
}

TEST(SimplePoll, VelkorPeriodMode) {
    SimBench b(SteadyProfile("velkor", {Steady(39, 12.5f)}), true);
    MarkIdentified(b);
    b.state.decimalSeparator = ',';
    b.ui.answerMessages({MessageAnswer::Yes});
    StopAfterAnswers(b, 1);
    RunSimplePoll(b.state, PollRequest::Command1, kFixedClock);
    ASSERT_FALSE(b.ui.messages.empty());
    EXPECT_EQ(b.ui.messages[0].text, "Данное устройство-плотномер.\nВыводить значение периода?");
    auto& v = LastView(b);
    EXPECT_EQ(v.placedBelow["BitBtn1"], "PeriodLabel");
    EXPECT_EQ(v.texts["PeriodLabel"], "Период = 1500,000 мкс");
    EXPECT_EQ(v.texts["ValueLabel"], "12,5000000");
    EXPECT_EQ(v.texts["UnitLabel"], "град. Цельс");
}

TEST(SimplePoll, TunnelLinkHidesTheRawAnswer) {
    SimBench b("rev6");
    MarkIdentified(b);
    b.useFlowComputer();
    StopAfterAnswers(b, 1);
    RunSimplePoll(b.state, PollRequest::Command1, kFixedClock);
    auto& v = LastView(b);
    EXPECT_FALSE(v.visible["TxtMemo"]);
    EXPECT_EQ(v.texts["StatusLabel"], "OK!");
}

}  // namespace
}  // namespace quillon::testing

namespace quillon::testing {
namespace {

// A run is judged by its last polls: as many unanswered in a row as the
// limit make it NoAnswer; an unanswered poll never carries a value.
TEST(PollRun, OutcomeOfTheRunAndOfEachPoll) {
    struct Case {
        int answered;
        int silent;
        int limit;
        OutcomeKind kind;
    } cases[] = {
        {2, 3, 3, OutcomeKind::NoAnswer},
        {2, 2, 3, OutcomeKind::Done},
        {3, 0, 3, OutcomeKind::Done},
        {1, 5, 0, OutcomeKind::Done},  // no limit: never judged
    };
    for (const auto& c : cases) {
        SimBench b("rev6");
        MarkIdentified(b);
        auto requests = std::make_shared<int>(0);
        auto original = b.device().commands()[3];
        b.device().commands()[3] = [&b, requests, c, original](sim::SimDevice& d, const sim::HartRequest& q) {
            if (++*requests > c.answered) b.faults().set(sim::Fault::NoAnswer, true);
            return original(d, q);
        };
        // Esc during the request after the last one counted.
        b.ui.onProcessEvents = [&b, requests, c] {
            if (*requests > c.answered + c.silent) KeyHook(b.state.flags, kKeyEsc);
        };
        std::vector<PollSample> samples;
        PollRunOptions options;
        options.unansweredLimit = c.limit;
        options.onSample = [&](const PollSample& p) { samples.push_back(p); };
        const Outcome o = RunSimplePoll(b.state, PollRequest::Command3, kFixedClock, options);
        const std::string label = std::to_string(c.answered) + "+" + std::to_string(c.silent);
        EXPECT_EQ(o.kind, c.kind) << label;
        ASSERT_EQ(samples.size(), static_cast<std::size_t>(c.answered + c.silent)) << label;
        for (int i = 0; i < c.answered + c.silent; ++i) {
            const PollSample& p = samples[static_cast<std::size_t>(i)];
            EXPECT_EQ(p.outcome.done(), i < c.answered) << label << " poll " << i;
            EXPECT_EQ(p.reading.has_value(), i < c.answered) << label << " poll " << i;
        }
    }
}

// The link ending a wait itself ends the run NoAnswer in its own words;
// the engineer's stop does not.
TEST(PollRun, LinkLostEndsTheRunNotDone) {
    SimBench b("rev6");
    PollRunJudge judge(3);
    EXPECT_TRUE(judge.record(b.state, ExchangeOk).done());
    b.state.linkFailure.clear();
    EXPECT_EQ(judge.record(b.state, ExchangeAborted).kind, OutcomeKind::Interrupted);
    EXPECT_TRUE(judge.verdict().done());
    b.state.linkFailure = "Связь по HART-IP прервана";
    judge.record(b.state, ExchangeAborted);
    const Outcome o = judge.verdict();
    EXPECT_EQ(o.kind, OutcomeKind::NoAnswer);
    EXPECT_EQ(o.reason, "Связь по HART-IP прервана");
}

}  // namespace
}  // namespace quillon::testing
