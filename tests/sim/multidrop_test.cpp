#include "sim/multidrop_line.h"

#include <gtest/gtest.h>

#include "link/exchange.h"
#include "link/frame_codec.h"
#include "sim/devsim_options.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

TEST(DevsimOptions, ExtraDevicesOnTheSameLine) {
    std::string error;
    auto o = sim::ParseDevsimOptions({"--add-device", "rev14,5", "--add-device", "rev16,40,260F092964,TT-9"}, error);
    ASSERT_TRUE(o) << error;
    ASSERT_EQ(o->extraDevices.size(), 2u);
    const auto first = o->extraProfile(0);
    EXPECT_EQ(first.shortAddress, 5);
    EXPECT_EQ(first.softwareRevision, 14);
    EXPECT_NE(first.longAddress, sim::Preset("rev14").longAddress);
    const auto second = o->extraProfile(1);
    EXPECT_EQ(second.shortAddress, 40);
    EXPECT_EQ(second.longAddress, (std::array<std::uint8_t, 5>{0x26, 0x0F, 0x09, 0x29, 0x64}));
    EXPECT_EQ(second.tag, "TT-9");

    for (const auto& bad : {"rev14", "rev14,64", "nosuch,3", "rev14,3,12345", "rev14,x"}) {
        EXPECT_FALSE(sim::ParseDevsimOptions({"--add-device", bad}, error)) << bad;
    }
    EXPECT_FALSE(sim::ParseDevsimOptions({"--flow-computer", "--add-device", "rev14,5"}, error));
}

TEST(MultiDropLine, OnlyTheAddressedDeviceAnswersAndACollisionIsNoFrame) {
    testing::SimBench b("rev6");
    sim::SimDevice other(sim::Preset("rev14"));
    other.setShortAddress(5);
    sim::DeviceEndpoint otherEnd(other);
    sim::MultiDropLine line;
    line.add(b.endpoint());
    line.add(otherEnd);
    b.line().setEndpoint(line);

    b.state.settings.shortAddress = 5;
    BuildShortRequest(b.state.buffer, 0);
    ASSERT_EQ(Exchange(b.state), ExchangeOk);
    EXPECT_EQ(b.state.buffer.response[12], 14);  // software revision of the second device

    // Address 16 with command 0 makes every simulated device answer at once.
    b.state.settings.shortAddress = 16;
    BuildShortRequest(b.state.buffer, 0);
    EXPECT_NE(Exchange(b.state), ExchangeOk);
}

}  // namespace
}  // namespace quillon
