#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>

#include "../device/device_test_support.h"
#include "../device/polling_test_support.h"
#include "device/measuring_channel.h"
#include "frontend/code_view.h"
#include "frontend/code_view_names.h"
#include "frontend/menu_items.h"
#include "link/key_hook.h"
#include "sim/live_readings.h"
#include "support/request_capture.h"

namespace quillon::testing {
namespace {

namespace v = codeview;

// Runs the view on an identified device until `passes` exchanges have been answered.
struct CodeViewBench : SimBench {
    explicit CodeViewBench(const char* preset) : SimBench(preset) { MarkIdentified(*this); }
    ViewRecord& run(unsigned passes) {
        StopAfterAnswers(*this, passes);
        AdcCodeViewCommand(state, state.calibration.calibrationFileKind);
        EXPECT_EQ(ui.views.size(), 1u);
        return *ui.views.back();
    }
};

TEST(CodeView, RevisionsTenAndThirteenAreRefused) {
    for (const char* preset : {"rev10", "rev13"}) {
        CodeViewBench b(preset);
        const unsigned before = b.device().answered;
        AdcCodeViewCommand(b.state, b.state.calibration.calibrationFileKind);
        ASSERT_EQ(b.ui.messages.size(), 1u);
        EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Information);
        EXPECT_EQ(b.ui.messages[0].text, "Эта функция недоступна для текущей версии датчика!");
        EXPECT_TRUE(b.ui.views.empty());
        EXPECT_EQ(b.device().answered, before);
    }
}

// Channel count, group captions and which groups show, per variant.
TEST(CodeView, GroupsAndCaptionsPerVariant) {
    const struct {
        const char* preset;
        std::uint8_t deviceRevision;
        int selectedChannel;
        std::vector<std::string> groups;  // captions of the visible groups
    } cases[] = {
        {"rev9", 0, 0, {"Код АЦП :"}},
        {"rev3", 0, 0, {"Код АЦП :"}},
        {"rev8", 0, 0, {"Код АЦП :", "Код АЦП канала Tокр.среды :"}},
        {"rev14", 0, 0, {"Код АЦП :", "Код АЦП канала Tокр.среды :"}},
        {"rev16", 0, 0, {"Код АЦП :", "Код АЦП канала Tокр.среды :"}},
        {"rev16", 0, 1, {"Код АЦП :"}},
        {"rev6", 0, 0, {"Код АЦП :", "Код Uос относ. опорного :", "Код Uref-Uос :"}},
        {"rev6", 6, 0, {"Код АЦП :", "Код Uос относ. опорного :", "Код Uref-Uос :"}},
        {"rev6", 7, 0, {"Код АЦП :", "Код Offset АЦП канала T :", "Код Gain АЦП канала T :"}},
        {"rev6", 11, 0, {"Код АЦП :", "Код АЦП канала Tвнутр :", "Tвнутр, C :"}},
    };
    for (const auto& c : cases) {
        CodeViewBench b(c.preset);
        b.state.identity.deviceRevision = c.deviceRevision;
        b.state.identity.channelConfig = {0, 0x03, 0, 0};
        b.ui.onDialog<MeasuringChannelDialog>([&](MeasuringChannelDialog& d) {
            d.channel = c.selectedChannel;
            return true;
        });
        ViewRecord& view = b.run(6);
        std::vector<std::string> visible;
        for (int k = 0; k < v::kMaxChannels; ++k)
            if (view.visible[v::kGroup[k]]) visible.push_back(view.texts[v::kGroup[k]]);
        EXPECT_EQ(visible, c.groups) << c.preset << " d" << int(c.deviceRevision) << " ch" << c.selectedChannel;
        EXPECT_EQ(view.caption, "Показ кода АЦП");
        EXPECT_EQ(view.texts[v::kInfo], "F4 - Reset, Enter - Stop");
    }
}

// The request of each channel, as the device receives it.
TEST(CodeView, RequestBytesPerChannel) {
    const struct {
        const char* preset;
        int selectedChannel;
        std::uint8_t command;
        std::vector<Bytes> data;  // of the first passes, in order
    } cases[] = {
        {"rev6", 0, 176, {{19}, {20}, {10}, {19}}},
        {"rev8", 0, 176, {{19}, {20}, {19}}},
        {"rev16", 0, 176, {{19}, {20}}},
        {"rev16", 1, 176, {{30}, {30}}},
        {"rev9", 0, 176, {{19}, {19}}},
        {"rev3", 0, 113, {{}, {}}},
    };
    for (const auto& c : cases) {
        CodeViewBench b(c.preset);
        b.state.identity.channelConfig = {0, 0x03, 0, 0};
        b.ui.onDialog<MeasuringChannelDialog>([&](MeasuringChannelDialog& d) {
            d.channel = c.selectedChannel;
            return true;
        });
        auto seen = CaptureRequests(b, c.command);
        b.run(static_cast<unsigned>(c.data.size()));
        // The device also heard the request whose answer the stop cut off.
        seen->resize(c.data.size());
        EXPECT_EQ(*seen, c.data) << c.preset;
        EXPECT_TRUE(b.ui.messages.empty()) << c.preset;
    }
}

// Values shown and averaged: integers as signed, averaged unsigned; floats
// with NaN counted but not averaged; answers without a value.
TEST(CodeView, ValuesAndAverages) {
    const auto u32 = [](std::uint32_t x) {
        Bytes b{19};
        for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(x >> shift));
        return b;
    };
    const auto f32 = [&](float f) { return u32(std::bit_cast<std::uint32_t>(f)); };
    const struct {
        const char* name;
        const char* preset;
        std::vector<sim::HartReply> replies;
        std::vector<std::string> values;  // value shown after each answer
        std::string average, valued, answers;
    } cases[] = {
        {"all ones", "rev9", {{0, u32(0xFFFFFFFF)}}, {"-1"}, "4294967295.0000", "1", "1"},
        {"integer average is floored", "rev9", {{0, u32(2)}, {0, u32(3)}}, {"2", "3"}, "2.0000", "2", "2"},
        {"all ones twice stays exact",
         "rev9",
         {{0, u32(0xFFFFFFFF)}, {0, u32(0xFFFFFFFF)}},
         {"-1", "-1"},
         "4294967295.0000",
         "2",
         "2"},
        {"NaN three times then 20.5",
         "rev16",
         {{0, f32(NanFloat())}, {0, u32(0x7F800000)}, {0, u32(0xFFFFFFFF)}, {0, f32(20.5f)}},
         {"NAN", "NAN", "NAN", "20.5000"},
         "20.5000",
         "4",
         "4"},
        {"negative float", "rev16", {{0, f32(-1.25f)}, {0, f32(-2.0f)}}, {"-1.2500", "-2.0000"}, "-1.6250", "2", "2"},
        {"refused setting", "rev9", {{1, {19}}}, {"Нет данных!"}, "----------", "0", "1"},
        {"value cut short", "rev9", {{0, {19, 0, 0}}}, {"Нет данных!"}, "----------", "0", "1"},
        {"113 byte count 6", "rev3", {{0, {0, 1, 2, 3}}}, {"Нет данных!"}, "----------", "0", "1"},
        {"113 least significant first, code ignored",
         "rev3",
         {{5, {0, 0x40, 0xE2, 0x01, 0x00}}},
         {"123456"},
         "123456.0000",
         "1",
         "1"},
    };
    for (const auto& c : cases) {
        CodeViewBench b(c.preset);
        // Revision 16 on its I2C channel: one float channel.
        b.state.identity.channelConfig = {0, 0x03, 0, 0};
        b.ui.onDialog<MeasuringChannelDialog>([](MeasuringChannelDialog& d) {
            d.channel = 1;
            return true;
        });
        ReplyWith(b, c.preset == std::string("rev3") ? 113 : 176, c.replies);
        ViewRecord& view = b.run(static_cast<unsigned>(c.replies.size()));
        std::vector<std::string> values;
        for (const auto& text : view.history[v::kValue[0]])
            if (text != "----------") values.push_back(text);
        EXPECT_EQ(values, c.values) << c.name;
        EXPECT_EQ(view.texts[v::kAverage[0]], c.average) << c.name;
        // Counts are shown before each request: the aborted last one shows them all.
        EXPECT_EQ(view.texts[v::kValued[0]], c.valued) << c.name;
        EXPECT_EQ(view.texts[v::kAnswers[0]], c.answers) << c.name;
    }
}

TEST(CodeView, FailedExchangeBlanksTheValueAndPollingGoesOn) {
    CodeViewBench b("rev9");
    auto n = std::make_shared<int>(0);
    auto original = b.device().commands()[176];
    b.device().commands()[176] = [&b, n, original](sim::SimDevice& d, const sim::HartRequest& q) {
        if (++*n == 2) b.faults().set(sim::Fault::NoAnswer);
        return original(d, q);
    };
    ViewRecord& view = b.run(3);
    const auto& values = view.history[v::kValue[0]];
    ASSERT_GE(values.size(), 4u);
    EXPECT_EQ(view.texts[v::kRequests[0]], "3") << "shown before the aborted fourth";
    EXPECT_EQ(view.texts[v::kAnswers[0]], "2");
    EXPECT_NE(std::find(values.begin() + 2, values.end(), "----------"), values.end());
}

TEST(CodeView, F4ZeroesEveryCounterAtTheNextPass) {
    CodeViewBench b("rev6");
    bool pressed = false;
    StopAfterAnswers(b, 8, [&](unsigned answered) {
        if (answered == 7 && !pressed) {
            KeyHook(b.state.flags, kKeyF4);
            pressed = true;
        }
    });
    AdcCodeViewCommand(b.state, b.state.calibration.calibrationFileKind);
    ASSERT_EQ(b.ui.views.size(), 1u);
    ViewRecord& view = *b.ui.views[0];
    for (int k = 0; k < 3; ++k) {
        // Each channel had counted before F4 and shows 0 again afterwards.
        const auto& h = view.history[v::kRequests[k]];
        const auto counted = std::find(h.begin(), h.end(), "1");
        ASSERT_NE(counted, h.end()) << k;
        EXPECT_NE(std::find(counted, h.end(), "0"), h.end()) << k;
        EXPECT_EQ(view.texts[v::kAnswers[k]], "0") << k;
    }
    // The reset blanks the values; only channel 1 has answered since.
    EXPECT_EQ(view.texts[v::kAverage[0]], "----------");
    EXPECT_EQ(view.texts[v::kAverage[2]], "----------");
    EXPECT_NE(view.texts[v::kAverage[1]], "----------");
}

TEST(CodeView, StopsOnEnterEscAndStopAndGivesTheMenuBack) {
    for (int key : {kKeyEnter, kKeyEsc, 0}) {
        CodeViewBench b("rev9");
        std::vector<bool> menuDuringView;
        b.ui.onProcessEvents = [&] {
            menuDuringView.push_back(b.ui.mainMenuPresent);
            if (b.device().answered < 3) return;
            if (key != 0)
                KeyHook(b.state.flags, key);
            else
                b.state.flags.stopRequested = true;  // the window's Stop button
        };
        AdcCodeViewCommand(b.state, b.state.calibration.calibrationFileKind);
        EXPECT_EQ(b.device().answered, 3u);
        EXPECT_TRUE(b.ui.mainMenuPresent);
        ASSERT_FALSE(menuDuringView.empty());
        EXPECT_FALSE(menuDuringView.front());
        EXPECT_FALSE(b.state.flags.stopRequested);
        EXPECT_FALSE(b.state.flags.enterPressed);
    }
}

TEST(CodeView, CancelledChannelQuestionOpensNothing) {
    CodeViewBench b("rev16");
    b.ui.onDialog<MeasuringChannelDialog>([](MeasuringChannelDialog&) { return false; });
    const unsigned before = b.device().answered;
    AdcCodeViewCommand(b.state, b.state.calibration.calibrationFileKind);
    EXPECT_TRUE(b.ui.views.empty());
    EXPECT_EQ(b.device().answered, before);
    EXPECT_TRUE(b.ui.mainMenuPresent);
}

// Enter confirms the channel question; the key must not end the view it opens.
TEST(CodeView, EnterThatConfirmedTheChannelDoesNotEndTheView) {
    CodeViewBench b("rev16");
    b.state.identity.channelConfig = {0, 0x03, 0, 0};
    b.ui.onDialog<MeasuringChannelDialog>([&b](MeasuringChannelDialog&) {
        KeyHook(b.state.flags, kKeyEnter);
        return true;
    });
    const unsigned before = b.device().answered;
    ViewRecord& view = b.run(before + 4);
    // Four passes answered; each channel shows its counts as its turn comes.
    EXPECT_EQ(view.texts[v::kAnswers[0]], "2");
    EXPECT_EQ(view.texts[v::kAnswers[1]], "1");
}

// Simulated devices report codes near their reference, floats as temperatures.
// The ambient channel (setting 20) of revision 11 carries a float, as the
// calibration's measuring loop reads it; revision 8 sends a converter code.
TEST(CodeView, AmbientChannelIsReadAsTheDeviceSendsIt) {
    const struct {
        const char* preset;
        bool isFloat;
    } cases[] = {{"rev11", true}, {"rev14", true}, {"rev8", false}};
    for (const auto& c : cases) {
        CodeViewBench b(c.preset);
        auto& live = b.device().profile().live;
        live.noise = 0.0;
        live.ambient = 24.5;
        auto settings = CaptureRequests(b, 176);
        ViewRecord& view = b.run(4);
        const std::string expected = c.isFloat ? "24.5000" : std::to_string(sim::ConverterCode(b.device(), 24.5));
        EXPECT_EQ(view.texts[v::kGroup[1]], "Код АЦП канала Tокр.среды :") << c.preset;
        EXPECT_EQ(view.texts[v::kValue[1]], expected) << c.preset;
        EXPECT_EQ(view.texts[v::kAverage[1]], expected + (c.isFloat ? "" : ".0000")) << c.preset;
        const std::vector<int> numbers = SettingNumbers(*settings);
        ASSERT_GE(numbers.size(), 4u) << c.preset;
        EXPECT_EQ(std::vector<int>(numbers.begin(), numbers.begin() + 4), (std::vector<int>{19, 20, 19, 20}))
            << c.preset;
    }
}

TEST(CodeView, SimulatedDevicesAnswerEveryChannel) {
    const struct {
        const char* preset;
        int channels;
    } cases[] = {{"rev6", 3}, {"rev8", 2}, {"rev14", 2}, {"rev3", 1}, {"rev9-d11", 1}};
    for (const auto& c : cases) {
        CodeViewBench b(c.preset);
        b.ui.onDialog<MeasuringChannelDialog>([](MeasuringChannelDialog&) { return true; });
        ViewRecord& view = b.run(static_cast<unsigned>(2 * c.channels + 1));
        for (int k = 0; k < c.channels; ++k) {
            EXPECT_EQ(view.texts[v::kValued[k]], view.texts[v::kAnswers[k]]) << c.preset << " " << k;
            EXPECT_NE(view.texts[v::kAverage[k]], "----------") << c.preset << " " << k;
        }
        EXPECT_TRUE(b.ui.messages.empty()) << c.preset;
    }
}

}  // namespace
}  // namespace quillon::testing

namespace quillon::testing {
namespace {

// What a run of the view hands back: the statistics of each shown channel, and
// whether the device answered at all; another maker's device is never asked.
TEST(CodeView, RunOutcome) {
    const struct {
        const char* name;
        const char* preset;
        bool silent;
        bool otherMaker;
        OutcomeKind kind;
    } cases[] = {
        {"answered, then Esc", "rev8", false, false, OutcomeKind::Done},
        {"never answered, then Esc", "rev8", true, false, OutcomeKind::NoAnswer},
        {"another maker", "rev8", false, true, OutcomeKind::NotPossible},
        {"revision 10", "rev10", false, false, OutcomeKind::NotPossible},
    };
    for (const auto& c : cases) {
        CodeViewBench b(c.preset);
        if (c.otherMaker) {
            b.state.identity.makeKnown = true;
            b.state.identity.manufacturerId = 0x99;
            b.state.identity.deviceType = 0x12;
        }
        if (c.silent) b.faults().set(sim::Fault::NoAnswer, true);
        // Esc after a few answers, or after a long while without any.
        const unsigned answeredBefore = b.device().answered;
        int waits = 0;
        b.ui.onProcessEvents = [&] {
            if (b.device().answered > answeredBefore + 3 || ++waits > 400) KeyHook(b.state.flags, kKeyEsc);
        };
        const std::uint64_t sentBefore = b.state.requestsSent;
        const auto view = b.ui.openLiveView(live_view::CodeView);
        const Result<std::vector<CodeViewChannel>> r = RunCodeView(b.state, *view, 0);
        EXPECT_EQ(r.outcome.kind, c.kind) << c.name;
        EXPECT_TRUE(b.ui.messages.empty()) << c.name;
        if (c.kind == OutcomeKind::NotPossible) {
            EXPECT_EQ(b.state.requestsSent, sentBefore) << c.name;
            EXPECT_EQ(CodeViewReport(r.outcome).size(), 1u) << c.name;
            continue;
        }
        ASSERT_EQ(r.value.size(), 2u) << c.name;  // code and ambient channels
        EXPECT_GT(r.value[0].requests, 0) << c.name;
        EXPECT_EQ(r.value[0].answers > 0, !c.silent) << c.name;
        // The view itself showed the silence; no box repeats it.
        EXPECT_TRUE(CodeViewReport(r.outcome).empty()) << c.name;
    }
}

}  // namespace
}  // namespace quillon::testing
