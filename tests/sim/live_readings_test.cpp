#include <gtest/gtest.h>

#include <bit>

#include "link/exchange.h"
#include "link/frame_codec.h"
#include "sim/devsim_console.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::SimBench;

std::uint32_t BigEndian(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

TEST(LiveReadings, FollowTheReferenceInTheDevicesOwnForm) {
    for (const char* preset : {"rev8", "rev16"}) {
        SimBench b(preset);
        b.device().profile().live.noise = 0.0;
        b.device().profile().live.reference = 100.0;
        BuildLongRequest(b.state.buffer, 176, {19});
        ASSERT_EQ(Exchange(b.state), ExchangeOk);
        const std::uint32_t at100 = BigEndian(&b.state.buffer.response[11]);
        b.device().profile().live.reference = 0.0;
        BuildLongRequest(b.state.buffer, 176, {19});
        ASSERT_EQ(Exchange(b.state), ExchangeOk);
        const std::uint32_t at0 = BigEndian(&b.state.buffer.response[11]);
        if (std::string(preset) == "rev8") {
            // A 24-bit converter code, 20000 codes per unit above 2000000.
            EXPECT_EQ(at0, 2000000u);
            EXPECT_EQ(at100, 4000000u);
        } else {
            // The converter channel of revision 16 carries its code as a float.
            EXPECT_EQ(std::bit_cast<float>(at0), 2000000.0f);
            EXPECT_EQ(std::bit_cast<float>(at100), 4000000.0f);
        }
    }
}

TEST(LiveReadings, TheI2cChannelAndTheOlderCommand) {
    SimBench b("rev16");
    b.device().profile().live.noise = 0.0;
    b.device().profile().live.reference = 36.6;
    BuildLongRequest(b.state.buffer, 176, {30});
    ASSERT_EQ(Exchange(b.state), ExchangeOk);
    EXPECT_EQ(std::bit_cast<float>(BigEndian(&b.state.buffer.response[11])), 36.6f);

    SimBench old("rev3");
    old.device().profile().live.noise = 0.0;
    old.device().profile().live.reference = 1.0;
    BuildLongRequest(old.state.buffer, 113);
    ASSERT_EQ(Exchange(old.state), ExchangeOk);
    const auto& r = old.state.buffer.response;
    EXPECT_EQ(r[7], 7) << "two status bytes and five data bytes";
    const std::uint32_t code = r[11] | (r[12] << 8) | (r[13] << 16) | (std::uint32_t{r[14]} << 24);
    EXPECT_EQ(code, 2020000u) << "least significant byte first";
}

TEST(LiveReadings, TheConsoleSetsTheReference) {
    SimBench b("rev8");
    sim::ConsoleTarget target{b.device(), b.faults()};
    EXPECT_EQ(sim::RunConsoleCommand("reference 12.5", target).reply, "reference 12.5");
    EXPECT_EQ(b.device().profile().live.reference, 12.5);
    EXPECT_EQ(sim::RunConsoleCommand("reference abc", target).reply, "not a number: abc");
    EXPECT_EQ(b.device().profile().live.reference, 12.5);
    EXPECT_EQ(sim::RunConsoleCommand("ambient 30", target).reply, "ambient 30");
    EXPECT_EQ(b.device().profile().live.ambient, 30.0);
}

}  // namespace
}  // namespace quillon
