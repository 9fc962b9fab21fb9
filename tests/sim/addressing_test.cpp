#include <gtest/gtest.h>

#include "link/exchange.h"
#include "link/frame_codec.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::SimBench;

TEST(SimAddressing, ShortFramesByPollingAddressAndMasterBit) {
    struct Case {
        const char* preset;
        std::uint8_t deviceAddress;
        std::uint8_t polled;
        int master;
        bool answers;
    } cases[] = {
        {"rev6", 3, 3, 1, true},   {"rev6", 3, 3, 0, true},   {"rev6", 3, 4, 1, false},
        {"rev3", 5, 5, 1, true},   {"rev6", 40, 40, 0, true},  // six-bit addresses on newer firmware
        {"rev14", 5, 16, 1, true},                             // address 16: identification when no address was entered
    };
    for (const auto& c : cases) {
        SimBench b(c.preset);
        b.device().setShortAddress(c.deviceAddress);
        b.state.settings.shortAddress = c.polled;
        b.state.settings.masterAddress = c.master;
        BuildShortRequest(b.state.buffer, 0);
        const int result = Exchange(b.state);
        EXPECT_EQ(result, c.answers ? ExchangeOk : ExchangeNoAnswer) << c.preset << " polled " << int(c.polled);
        if (result != ExchangeOk) continue;
        // The device echoes its own address with the master bit of the request.
        EXPECT_EQ(b.state.buffer.response[1], c.deviceAddress | (c.master ? 0x80 : 0x00));
    }
}

TEST(SimAddressing, ShortAddress16AnswersOnlyIdentification) {
    SimBench b("rev14");
    b.device().setShortAddress(5);
    b.state.settings.shortAddress = 16;
    BuildShortRequest(b.state.buffer, 1);
    EXPECT_EQ(Exchange(b.state), ExchangeNoAnswer);
}

TEST(SimAddressing, LongFramesMaskMasterAndBurstBits) {
    struct Case {
        std::uint8_t firstByte;  // as sent, after FinishRequest set the master bit
        bool answers;
    } cases[] = {{0x26, true}, {0x26 | 0x80, true}, {0x26 | 0x40, true}, {0x27, false}};
    for (const auto& c : cases) {
        SimBench b("rev6");
        sim::HartRequest r;
        r.longFrame = true;
        r.address = b.device().profile().longAddress;
        r.address[0] = c.firstByte;
        r.command = 0;
        EXPECT_EQ(b.device().addressedBy(r), c.answers) << std::hex << int(c.firstByte);
    }
    SimBench b("rev6");
    b.state.identity.longAddress[4] ^= 0x01;  // another device id
    BuildLongRequest(b.state.buffer, 0);
    EXPECT_EQ(Exchange(b.state), ExchangeNoAnswer);
}

TEST(SimAddressing, LongAnswerEchoesTheMasterBit) {
    for (int master : {0, 1}) {
        SimBench b("rev6");
        b.state.settings.masterAddress = master;
        BuildLongRequest(b.state.buffer, 0);
        ASSERT_EQ(Exchange(b.state), ExchangeOk);
        EXPECT_EQ(b.state.buffer.response[1], 0x26 | (master ? 0x80 : 0x00));
    }
}

TEST(SimAddressing, ShortAddressChangeThenAnswersUnderTheNewOne) {
    struct Case {
        const char* preset;
        bool longFrame;
        std::uint8_t command;
    } cases[] = {{"rev6", true, 6}, {"rev3", false, 119}};
    for (const auto& c : cases) {
        SimBench b(c.preset);
        if (c.longFrame)
            BuildLongRequest(b.state.buffer, c.command, {9});
        else
            BuildShortRequest(b.state.buffer, c.command, {9});
        ASSERT_EQ(Exchange(b.state), ExchangeOk) << c.preset;
        EXPECT_EQ(ResponseCode(b.state.buffer), 0);
        BuildShortRequest(b.state.buffer, 0);
        EXPECT_EQ(Exchange(b.state), ExchangeNoAnswer) << c.preset << " old address";
        b.state.settings.shortAddress = 9;
        EXPECT_EQ(Exchange(b.state), ExchangeOk) << c.preset << " new address";
    }
}

TEST(SimAddressing, LongAddressChangeByCommand19) {
    SimBench b("rev8");
    BuildLongRequest(b.state.buffer, 19, {0x0A, 0x0B, 0x0C});
    ASSERT_EQ(Exchange(b.state), ExchangeOk);  // answered under the new address already
    EXPECT_EQ(b.state.buffer.response[3], 0x0A);
    BuildLongRequest(b.state.buffer, 0);
    EXPECT_EQ(Exchange(b.state), ExchangeNoAnswer);
    b.state.identity.longAddress = {0x26, b.device().profile().longAddress[1], 0x0A, 0x0B, 0x0C};
    EXPECT_EQ(Exchange(b.state), ExchangeOk);
}

TEST(SimAddressing, LongAddressChangeByBlockWriteAndConfirm) {
    struct Case {
        const char* preset;
        std::uint8_t index;
    } cases[] = {{"rev3-hw1", 105}, {"rev11", 127}};
    for (const auto& c : cases) {
        SimBench b(c.preset);
        const auto old = b.state.identity.longAddress;
        BuildLongRequest(b.state.buffer, 190, {c.index, 0x00, 0x01, 0x02, 0x03, 0x4D});
        ASSERT_EQ(Exchange(b.state), ExchangeOk);
        EXPECT_EQ(ResponseCode(b.state.buffer), 0);
        // Not in force before the confirmation.
        BuildLongRequest(b.state.buffer, 0);
        ASSERT_EQ(Exchange(b.state), ExchangeOk) << c.preset;
        BuildLongRequest(b.state.buffer, 192, {1});
        ASSERT_EQ(Exchange(b.state), ExchangeOk);
        EXPECT_EQ(b.state.buffer.response[10], 1) << c.preset;
        EXPECT_EQ(b.state.buffer.response[3], 0x01);  // the answer already comes from the new address
        BuildLongRequest(b.state.buffer, 0);
        EXPECT_EQ(Exchange(b.state), ExchangeNoAnswer);
        b.state.identity.longAddress = {old[0], old[1], 0x01, 0x02, 0x03};
        EXPECT_EQ(Exchange(b.state), ExchangeOk);
        // A second confirmation has nothing left to confirm.
        BuildLongRequest(b.state.buffer, 192, {1});
        ASSERT_EQ(Exchange(b.state), ExchangeOk);
        EXPECT_EQ(b.state.buffer.response[10], 0);
    }
}

}  // namespace
}  // namespace quillon
