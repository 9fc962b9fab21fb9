#include <gtest/gtest.h>

#include "device/dialogs.h"
#include "device/polling.h"
#include "polling_test_support.h"
#include "device/menu_items.h"

namespace quillon::testing {
namespace {

std::vector<sim::ProcessVariable> FourSteady() {
    return {Steady(32, 21.5f), Steady(32, 30.125f), Steady(32, -1.25f), Steady(32, 1234.56789f)};
}

// Which window the menu commands open, and with which request.
TEST(PollCommands, ChooseTheRightPoll) {
    struct Case {
        const char* preset;
        bool askReq3;
        int choice;  // -1: the request window is cancelled; -2: not expected
        std::optional<LiveViewKind> kind;
        const char* group1;  // extended: caption of the first group
        bool currentShown;   // simple: request 3 shows the loop current
    } cases[] = {
        {"rev16", false, 1, live_view::ShowAll, "Основной канал:", false},
        {"rev16", false, 0, live_view::Statistics, nullptr, false},
        {"rev16", false, -1, std::nullopt, nullptr, false},
        {"rev16", true, -2, live_view::ShowAll, "Основной канал:", false},
        {"rev9-d11", false, -2, live_view::ShowAll, "Посчитанное значение 1 :", false},
        {"rev9-d11", true, -2, live_view::ShowAll, "Посчитанное значение 1 :", false},
        {"rev6", false, -2, live_view::Statistics, nullptr, false},
        {"rev6", true, -2, live_view::Statistics, nullptr, true},
    };
    for (const auto& c : cases) {
        const std::string name = std::string(c.preset) + (c.askReq3 ? " request 3" : " statistics");
        SimBench b(SteadyProfile(c.preset, FourSteady()), true);
        MarkIdentified(b);
        if (c.choice >= -1) {
            b.ui.onDialog<RequestChoiceDialog>("RequestChoiceDialog", [&c](RequestChoiceDialog& d) {
                EXPECT_EQ(d.choice, 1) << "request 3 is preselected";
                d.choice = std::max(c.choice, 0);
                return c.choice >= 0;
            });
        }
        StopAfterAnswers(b, 1);
        if (c.askReq3)
            AskReq3Command(b.state);
        else
            StatistikaCommand(b.state);

        EXPECT_EQ(b.ui.dialogsShown.size(), c.choice >= -1 ? 1u : 0u) << name;
        EXPECT_TRUE(b.ui.mainMenuPresent) << name;
        if (!c.kind) {
            EXPECT_TRUE(b.ui.views.empty()) << name;
            EXPECT_EQ(b.device().answered, 0u) << name;
            continue;
        }
        ASSERT_EQ(b.ui.views.size(), 1u) << name;
        auto& v = *b.ui.views[0];
        EXPECT_EQ(v.kind, *c.kind) << name;
        if (c.group1) {
            EXPECT_EQ(v.texts["GroupBox1"], c.group1) << name;
        } else {
            EXPECT_EQ(v.visible["PeriodLabel"], c.currentShown) << name;
            EXPECT_EQ(v.texts["ValueLabel"], "21.5000000") << name;
        }
    }
}

TEST(ExtendedPoll, FourValuesWithAveragesAndRev16Captions) {
    SimBench b(SteadyProfile("rev16", FourSteady()), true);
    MarkIdentified(b);
    StopAfterAnswers(b, 3);
    RunExtendedPoll(b.state);

    auto& v = *b.ui.views.at(0);
    EXPECT_EQ(v.caption, "Текущие значения");
    EXPECT_EQ(v.texts["Hint"], "F4 - Reset, Enter - Stop");
    EXPECT_EQ(v.texts["GroupBox2"], "T процессора:");
    EXPECT_EQ(v.texts["GroupBox3"], "Канал 1 (с АЦП):");
    EXPECT_EQ(v.texts["GroupBox4"], "Канал 2 (с I2C):");
    const char* values[] = {"21.5000", "30.1250", "-1.2500", "1234.5680"};
    for (int g = 0; g < 4; ++g) {
        const std::string n = std::to_string(g + 1);
        EXPECT_EQ(v.texts["Value" + n + "Label"], values[g]) << g;
        EXPECT_EQ(v.texts["Average" + n + "Label"], values[g]) << g;
        EXPECT_EQ(v.texts["Correct" + n + "Label"], "3") << g;
    }
    EXPECT_EQ(v.texts["RequestsLabel"], "3");
    EXPECT_EQ(v.texts["AnswersLabel"], "3");
    EXPECT_TRUE(v.shown);
    EXPECT_FALSE(v.waitedForClose) << "a stop closes the window at once";
    EXPECT_TRUE(b.ui.mainMenuPresent);
}

TEST(ExtendedPoll, NanBadAnswersAndReset) {
    SimBench b("rev16");
    MarkIdentified(b);
    // 1: good, 2: NaN in group 2, 3: code 8, 4: one variable short;
    // F4 during the fourth, 5: good again after the reset.
    std::vector<sim::HartReply> replies{
        FloatReply(0, {{32, 1.0f}, {32, 2.0f}, {32, 3.0f}, {32, 4.0f}}, 12.0f),
        FloatReply(0, {{32, 3.0f}, {32, NanFloat()}, {32, 5.0f}, {32, 6.0f}}, 12.0f),
        FloatReply(8, {{32, 9.0f}, {32, 9.0f}, {32, 9.0f}, {32, 9.0f}}, 12.0f),
        FloatReply(0, {{32, 9.0f}, {32, 9.0f}, {32, 9.0f}}, 12.0f),
        FloatReply(0, {{32, 7.0f}, {32, 8.0f}, {32, 9.0f}, {32, 10.0f}}, 12.0f),
    };
    b.device().commands()[3] = [replies, i = std::size_t{0}](sim::SimDevice&, const sim::HartRequest&) mutable {
        return replies[std::min(i++, replies.size() - 1)];
    };
    std::vector<std::string> afterTwo;  // group 2 as shown once the NaN answer is in
    StopAfterAnswers(b, 5, [&](unsigned answered) {
        auto& v = *b.ui.views.at(0);
        if (answered == 3 && afterTwo.empty())
            afterTwo = {v.texts["Value2Label"], v.texts["Average2Label"], v.texts["Correct2Label"],
                        v.texts["Average1Label"]};
        if (answered == 4) KeyHook(b.state.flags, kKeyF4);
    });
    RunExtendedPoll(b.state);
    auto& v = *b.ui.views.at(0);
    EXPECT_EQ(afterTwo, (std::vector<std::string>{"NAN", "2.0000", "1", "2.0000"}));
    const auto& g1 = v.history["Value1Label"];
    // reset, good, good, code 8, short answer, reset (F4), good
    EXPECT_EQ(g1, (std::vector<std::string>{"----------", "1.0000", "3.0000", "----------", "----------", "----------",
                                            "7.0000"}));
    EXPECT_EQ(v.texts["Average1Label"], "7.0000");
    // The counts started again at the reset; the sixth request was the aborted one.
    EXPECT_EQ(v.texts["Correct1Label"], "1");
    EXPECT_EQ(v.texts["RequestsLabel"], "1");
    EXPECT_EQ(v.texts["AnswersLabel"], "1");
}

}  // namespace
}  // namespace quillon::testing
