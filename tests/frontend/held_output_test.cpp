#include <gtest/gtest.h>

#include "device/device_test_support.h"
#include "device/held_output.h"
#include "device/hex_text.h"
#include "device/identification.h"
#include "device/response_codes.h"
#include "frontend/fixed_output.h"
#include "frontend/output_release.h"
#include "sim/multidrop_line.h"
#include "support/identified_bench.h"
#include "support/request_capture.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::Identified;
using testing::SimBench;

void EnterTwelve(SimBench& b) {
    b.ui.onDialog<FixTokDialog>([](FixTokDialog& d) {
        d.mode = 1;
        d.value = "12";
        return true;
    });
}

// A refusal of command 40 leaves nothing held: no banner, no question on
// closing, and the typed value is not taken as the last one sent.
TEST(HeldOutput, OnlyAnAcceptedCommandIsHeld) {
    const struct {
        const char* name;
        std::vector<sim::HartReply> replies;
        std::vector<MessageAnswer> answers;
        std::vector<std::string> messages;
        std::size_t requests;
        bool held;
    } cases[] = {
        {"not implemented", {{64, {}}}, {}, {"Ошибка! Команда не задействована!"}, 1, false},
        {"unknown code", {{8, {}}}, {}, {"Неизвестная ошибка!"}, 1, false},
        {"write lock declined",
         {{7, {}}},
         {MessageAnswer::Yes, MessageAnswer::No},
         {kWriteProtectedText, kRepeatQuestion},
         1,
         false},
        {"write lock, button pressed, repeated",
         {{16, {}}, {0, {0x41, 0x40, 0x00, 0x01}}},
         {MessageAnswer::Yes, MessageAnswer::Yes},
         {kWriteProtectedText, kRepeatQuestion},
         2,
         true},
        {"accepted", {{0, {0x41, 0x40, 0x00, 0x01}}}, {}, {}, 1, true},
    };
    for (const auto& c : cases) {
        auto b = Identified("rev8");
        b->state.frontend.lastFixedOutput = 5.0;
        b->state.frontend.lastFixedOutputIdentification = b->state.identity.identifications;
        testing::ReplyWith(*b, 40, c.replies);
        auto sent = testing::CaptureRequests(*b, 40);
        for (MessageAnswer a : c.answers) b->ui.answerMessages({a});
        EnterTwelve(*b);
        FixCurrentMenuCommand(b->state, b->state.frontend);
        EXPECT_EQ(b->ui.messageTexts(), c.messages) << c.name;
        EXPECT_EQ(sent->size(), c.requests) << c.name;
        EXPECT_EQ(ToolHoldsOutput(b->state), c.held) << c.name;
        EXPECT_EQ(b->ui.fixedOutputBanner.empty(), !c.held) << c.name;
        EXPECT_EQ(OfferedFixedOutput(b->state.identity, b->state.frontend) == 5.0, !c.held) << c.name;
    }
}

// Device A on short address 1 and device B on short address 5 of the same
// line, or B alone on a second port.
struct TwoDevices {
    explicit TwoDevices(bool samePort) : b("rev8"), other(sim::Preset("rev8")), otherEnd(other) {
        other.setShortAddress(5);
        other.profile().longAddress[4] ^= 0x5A;
        if (samePort) {
            line.add(b.endpoint());
            line.add(otherEnd);
            b.line().setEndpoint(line);
        } else {
            b.ports.addPort("sim1", otherEnd);
            ScanPorts(b.state);
        }
        EXPECT_TRUE(ensureIdentified(b.state));
        a = b.state.identity.longAddress;
        b.ui.clearRecord();
    }
    // The engineer turns to device B: another short address, or another port.
    void switchToB(bool samePort) {
        b.state.settings.shortAddress = 5;
        if (!samePort) {
            b.state.settings.portIndex = 2;
            OpenPort(b.state);
        }
        invalidateIdentity(b.state);
        ASSERT_TRUE(ensureIdentified(b.state));
        ASSERT_NE(b.state.identity.longAddress, a);
        b.ui.clearRecord();
    }
    SimBench b;
    sim::SimDevice other;
    sim::DeviceEndpoint otherEnd;
    sim::MultiDropLine line;
    std::array<std::uint8_t, 5> a{};
};

TEST(HeldOutput, TheReleaseGoesToTheHoldingDeviceOrSaysItCannot) {
    for (const bool samePort : {true, false}) {
        TwoDevices t(samePort);
        EnterTwelve(t.b);
        FixCurrentMenuCommand(t.b.state, t.b.state.frontend);
        const std::string banner = "Ток зафиксирован: 12.0000 мА (датчик " + HexBytesText(t.a) + ")";
        ASSERT_EQ(t.b.ui.fixedOutputBanner, banner);

        t.switchToB(samePort);
        EXPECT_EQ(t.b.ui.fixedOutputBanner, banner) << "the banner still names the holding device";
        auto toA = testing::CaptureRequests(t.b, 40);
        auto toB = std::make_shared<int>(0);
        auto original = t.other.commands()[40];
        t.other.commands()[40] = [toB, original](sim::SimDevice& d, const sim::HartRequest& q) {
            ++*toB;
            return original(d, q);
        };

        const bool released = ReleaseHeldOutput(t.b.state);
        EXPECT_EQ(*toB, 0) << samePort;
        EXPECT_EQ(t.other.profile().deviceStatus & kFixedCurrentStatusBit, 0) << samePort;
        if (samePort) {
            EXPECT_TRUE(released);
            EXPECT_TRUE(t.b.ui.messages.empty());
            ASSERT_EQ(toA->size(), 1u);
            EXPECT_EQ(toA->front(), (std::vector<std::uint8_t>{0, 0, 0, 0}));
            EXPECT_EQ(t.b.device().profile().deviceStatus & kFixedCurrentStatusBit, 0);
            EXPECT_FALSE(ToolHoldsOutput(t.b.state));
            EXPECT_EQ(t.b.ui.fixedOutputBanner, "");
        } else {
            EXPECT_FALSE(released);
            EXPECT_EQ(t.b.ui.messageTexts(),
                      std::vector<std::string>{"Не удалось снять фиксацию выхода: датчик " + HexBytesText(t.a) +
                                               " был подключен через другой порт или линию связи."});
            EXPECT_TRUE(toA->empty());
            EXPECT_NE(t.b.device().profile().deviceStatus & kFixedCurrentStatusBit, 0);
            EXPECT_TRUE(ToolHoldsOutput(t.b.state));
            EXPECT_EQ(t.b.ui.fixedOutputBanner, banner);
        }
        // What is identified stays B, whichever device the release addressed.
        EXPECT_NE(t.b.state.identity.longAddress, t.a);
    }
}

// Leaving the mode on device B does not release device A.
TEST(HeldOutput, LeavingTheModeOnAnotherDeviceKeepsTheHold) {
    TwoDevices t(true);
    EnterTwelve(t.b);
    FixCurrentMenuCommand(t.b.state, t.b.state.frontend);
    t.switchToB(true);
    t.b.ui.onDialog<FixTokDialog>([](FixTokDialog&) { return true; });  // "leave"
    FixCurrentMenuCommand(t.b.state, t.b.state.frontend);
    EXPECT_TRUE(ToolHoldsOutput(t.b.state));
    EXPECT_NE(t.b.device().profile().deviceStatus & kFixedCurrentStatusBit, 0);
    EXPECT_EQ(t.b.ui.fixedOutputBanner, "Ток зафиксирован: 12.0000 мА (датчик " + HexBytesText(t.a) + ")");
}

TEST(HeldOutput, AReleaseThatFailsSaysWhyInOneMessage) {
    const struct {
        const char* name;
        std::function<void(SimBench&)> fault;
        std::string message;
    } cases[] = {
        {"no answer", [](SimBench& b) { testing::NeverAnswer(b, 40); },
         "Не удалось снять фиксацию выхода: устройство не отвечает."},
        {"port gone",
         [](SimBench& b) {
             b.line().unplugged = true;
             ClosePort(b.state);  // as it is between commands
         },
         "Не удалось снять фиксацию выхода: устройство не отвечает."},
        {"refused",
         [](SimBench& b) {
             testing::ReplyWith(b, 40, {{7, {}}});
         },
         std::string("Не удалось снять фиксацию выхода: ") + kWriteProtectedText},
        {"port deselected by a command that found it gone",
         [](SimBench& b) {
             b.line().unplugged = true;
             OpenPort(b.state);
             b.ui.clearRecord();
         },
         "Не удалось снять фиксацию выхода: устройство не отвечает."},
    };
    for (const auto& c : cases) {
        auto b = Identified("rev8");
        EnterTwelve(*b);
        FixCurrentMenuCommand(b->state, b->state.frontend);
        ASSERT_TRUE(ToolHoldsOutput(b->state));
        b->ui.clearRecord();
        c.fault(*b);
        EXPECT_FALSE(ReleaseHeldOutput(b->state)) << c.name;
        EXPECT_EQ(b->ui.messageTexts(), std::vector<std::string>{c.message}) << c.name;
        EXPECT_TRUE(ToolHoldsOutput(b->state)) << c.name;
    }
}

}  // namespace
}  // namespace quillon
