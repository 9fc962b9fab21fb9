#include <gtest/gtest.h>

#include "device/measuring_channel.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::SimBench;

struct Device {
    std::uint8_t software, device;
};

TEST(MeasuringChannel, OnlyTwoChannelDevicesAreAsked) {
    const struct {
        Device d;
        bool asked;
        std::vector<std::string> items;
    } cases[] = {
        {{9, 11}, true, {"Канал 1", "Канал 2"}},
        {{16, 0}, true, {"Канал АЦП", "Канал I2C"}},
        {{16, 11}, true, {"Канал АЦП", "Канал I2C"}},
        {{9, 10}, false, {}},
        {{11, 11}, false, {}},
        {{6, 0}, false, {}},
    };
    for (const auto& c : cases) {
        SimBench b("rev6");
        b.state.identity.softwareRevision = c.d.software;
        b.state.identity.deviceRevision = c.d.device;
        b.state.identity.selectedChannel = 1;
        b.state.identity.channelConfig = {0, 0x03, 0, 0};
        std::vector<std::string> shown;
        b.ui.onDialog<MeasuringChannelDialog>([&](MeasuringChannelDialog& d) {
            shown = d.items;
            EXPECT_EQ(d.channel, 1) << "the current channel is preselected";
            return true;
        });
        EXPECT_TRUE(AskMeasuringChannel(b.state));
        EXPECT_EQ(b.ui.dialogsShown.size(), c.asked ? 1u : 0u) << int(c.d.software) << "/" << int(c.d.device);
        EXPECT_EQ(shown, c.items);
        // A one-channel device always works on its first channel.
        if (!c.asked) {
            EXPECT_EQ(b.state.identity.selectedChannel, 0);
        }
        EXPECT_TRUE(b.ui.messages.empty());
    }
}

TEST(MeasuringChannel, ChoiceSetsChannelPointCountAndForgetsTheSensorId) {
    const struct {
        int chosen;
        int points;
    } cases[] = {{0, 25}, {1, 8}};
    for (const auto& c : cases) {
        SimBench b("rev16");
        auto& id = b.state.identity;
        id.softwareRevision = 16;
        id.channelConfig = {0, 0x03, 0, 0};
        id.calibrationPointCount = 3;
        id.sensorIdKnown = true;
        b.ui.onDialog<MeasuringChannelDialog>([&](MeasuringChannelDialog& d) {
            d.channel = c.chosen;
            return true;
        });
        ASSERT_TRUE(AskMeasuringChannel(b.state));
        EXPECT_EQ(id.selectedChannel, c.chosen);
        EXPECT_EQ(id.calibrationPointCount, c.points);
        EXPECT_FALSE(id.sensorIdKnown);
    }
}

TEST(MeasuringChannel, ChannelNotEnabledWarnsAndGoesOn) {
    const struct {
        std::uint8_t enabledBits;
        int chosen;
        bool warned;
    } cases[] = {{0x01, 1, true}, {0x02, 0, true}, {0x01, 0, false}, {0x02, 1, false}, {0x03, 1, false}};
    for (const auto& c : cases) {
        SimBench b("rev16");
        b.state.identity.softwareRevision = 16;
        b.state.identity.channelConfig = {0, c.enabledBits, 0, 0};
        b.ui.onDialog<MeasuringChannelDialog>([&](MeasuringChannelDialog& d) {
            d.channel = c.chosen;
            return true;
        });
        EXPECT_TRUE(AskMeasuringChannel(b.state));
        if (c.warned) {
            ASSERT_EQ(b.ui.messages.size(), 1u);
            EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Error);
            EXPECT_EQ(b.ui.messages[0].text,
                      "Выбранный канал не включен! Включите его в меню \"Выбор активных каналов\"!");
        } else {
            EXPECT_TRUE(b.ui.messages.empty());
        }
        EXPECT_EQ(b.state.identity.selectedChannel, c.chosen);
    }
}

TEST(MeasuringChannel, CancelStopsTheCommandAndKeepsTheChannel) {
    SimBench b("rev16");
    auto& id = b.state.identity;
    id.softwareRevision = 16;
    id.selectedChannel = 1;
    id.calibrationPointCount = 8;
    id.sensorIdKnown = true;
    b.ui.onDialog<MeasuringChannelDialog>([](MeasuringChannelDialog& d) {
        d.channel = 0;
        return false;
    });
    EXPECT_FALSE(AskMeasuringChannel(b.state));
    EXPECT_EQ(id.selectedChannel, 1);
    EXPECT_EQ(id.calibrationPointCount, 8);
    EXPECT_TRUE(id.sensorIdKnown);
}

}  // namespace
}  // namespace quillon
