#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "link/exchange.h"
#include "link/frame_codec.h"
#include "sim/byte_order.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::SimBench;

const std::uint8_t* Data(const ExchangeBuffer& b) { return b.response.data() + AnswerDataIndex(b); }

void Ask(SimBench& b, std::uint8_t command, std::initializer_list<std::uint8_t> data = {}) {
    BuildLongRequest(b.state.buffer, command, data);
    ASSERT_EQ(Exchange(b.state), ExchangeOk) << "command " << int(command);
}

float LoopCurrent(SimBench& b) {
    Ask(b, 3);
    return sim::GetFloat(Data(b.state.buffer));
}

TEST(SimOutput, FixedCurrentHoldsTheLoopAndShowsInTheStatusUntilReleased) {
    SimBench b("rev8");
    Ask(b, 40, {0x41, 0x40, 0x00, 0x00});  // 12.0
    EXPECT_EQ(DeviceStatus(b.state.buffer) & 0x08, 0x08);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(LoopCurrent(b), 12.0f);
        EXPECT_EQ(DeviceStatus(b.state.buffer) & 0x08, 0x08);
    }
    Ask(b, 40, {0, 0, 0, 0});
    EXPECT_EQ(DeviceStatus(b.state.buffer) & 0x08, 0);
    EXPECT_NE(LoopCurrent(b), 12.0f);  // follows the measurement again, noise and all
}

TEST(SimOutput, FeedbackCodeFollowsTheFixedDuty) {
    SimBench b("rev6");
    const auto code = [&]() {
        Ask(b, 176, {21});
        return sim::GetU32(Data(b.state.buffer) + 1);
    };
    const auto fix = [&](float duty) {
        const auto bits = std::bit_cast<std::uint32_t>(duty);
        Ask(b, 177,
            {6, static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
             static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits)});
    };
    fix(0.1f);
    EXPECT_NEAR(code(), 1000.0, 12.0);
    fix(0.8f);
    EXPECT_NEAR(code(), 9000.0, 12.0);
    Ask(b, 177, {6, 0x7F, 0xA0, 0x00, 0x00});
    EXPECT_NEAR(code(), 5000.0, 12.0);

    // Other devices keep setting 21 as a stored value.
    SimBench other("rev8");
    BuildLongRequest(other.state.buffer, 176, {21});
    ASSERT_EQ(Exchange(other.state), ExchangeOk);
    EXPECT_EQ(ResponseCode(other.state.buffer), 1);
}

TEST(SimOutput, DacRecordAndItsReCheck) {
    SimBench b("rev3");
    Ask(b, 191, {120, 0, 7});
    const std::uint8_t* d = Data(b.state.buffer);
    EXPECT_EQ(std::vector<std::uint8_t>(d, d + 6), (std::vector<std::uint8_t>{0x0A, 0xD7, 0xA3, 0x9C, 0x00, 0x40}));
    EXPECT_EQ(d[6], 0x4D ^ 0x0A ^ 0xD7 ^ 0xA3 ^ 0x9C ^ 0x00 ^ 0x40);
    Ask(b, 192, {0});
    EXPECT_EQ(Data(b.state.buffer)[0], 1);
    b.device().setBlockByte(126, 0);
    Ask(b, 192, {0});
    EXPECT_EQ(Data(b.state.buffer)[0], 0);
}

}  // namespace
}  // namespace quillon
