#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "device/identification.h"
#include "device/polling.h"
#include "device/polling_view_names.h"
#include "device/variant.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/key_hook.h"
#include "support/hart_ip_loopback.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::HartIpLoopback;
using testing::SimBench;
using Bytes = std::vector<std::uint8_t>;

Bytes Data(const ExchangeBuffer& b) {
    const auto* p = b.response.data() + AnswerDataIndex(b);
    return {p, p + AnswerDataCount(b)};
}

// The flow device of another maker answers what HART makes universal, in the
// layouts of universal revision 7, and refuses everything else, this maker's
// commands above all, with "not implemented".
TEST(OtherMakerPreset, AnswersTheUniversalCommandsAndRefusesTheRest) {
    SimBench b("foreign");
    struct Case {
        std::uint8_t command;
        std::uint8_t code;
        std::size_t dataCount;
        Bytes dataStart;  // the first bytes of the data, written out
    } cases[] = {
        // Identity: expanded device type F9 9C, preambles 5, revision 7, device 1, software 2,
        // hardware 1, flags 0, device id 00 12 34, then the fields of revision 7 with the
        // manufacturer id F9 in bytes 17-18.
        {0, 0, 22, {254, 0xF9, 0x9C, 5, 7, 1, 2, 1, 0, 0x00, 0x12, 0x34, 5, 2, 0, 1, 0, 0x00, 0xF9, 0x00, 0xF9, 1}},
        {1, 0, 5, {75}},  // kg/h
        {2, 0, 8, {}},
        {3, 0, 14, {}},
        // "MASS" packed: 001101 000001 010011 010011 -> 34 14 D3.
        {12, 0, 24, {0x34, 0x14, 0xD3}},
        // "FT-1" packed: 000110 010100 101101 110001 -> 19 4B 71.
        {13, 0, 21, {0x19, 0x4B, 0x71}},
        {48, 0, 9, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {40, 64, 0, {}},
        {110, 64, 0, {}},
        {119, 64, 0, {}},
        {128, 64, 0, {}},
        {176, 64, 0, {}},
        {177, 64, 0, {}},
        {190, 64, 0, {}},
        {191, 64, 0, {}},
        {253, 64, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.command));
        BuildLongRequest(b.state.buffer, c.command);
        ASSERT_EQ(Exchange(b.state), ExchangeOk);
        EXPECT_EQ(ResponseCode(b.state.buffer), c.code);
        const Bytes data = Data(b.state.buffer);
        ASSERT_EQ(data.size(), c.dataCount);
        EXPECT_TRUE(std::equal(c.dataStart.begin(), c.dataStart.end(), data.begin()));
    }
    BuildLongRequest(b.state.buffer, 13);
    ASSERT_EQ(Exchange(b.state), ExchangeOk);
    EXPECT_EQ(Data(b.state.buffer).back(), 124) << "the date ends in the year less 1900";

    // Command 11 goes to the broadcast address; only the device with the tag answers.
    sim::HartRequest byTag{true, {0x80, 0, 0, 0, 0}, 11, {0x19, 0x4B, 0x71, 0xC3, 0x18, 0x20}};  // "FT-101  "
    const auto answer = b.device().handle(byTag, 0);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->data.size(), 22u);
    byTag.data = {0x19, 0x4B, 0x71, 0xC3, 0x28, 0x20};  // "FT-102  "
    EXPECT_FALSE(b.device().handle(byTag, 0).has_value());
}

// The bursting device sets the burst-mode bit in the address of every
// answer, short or long, whatever the request had.
TEST(BurstPreset, EveryAnswerCarriesTheBurstModeBit) {
    SimBench b("burst");
    for (int master : {0, 1}) {
        b.state.settings.masterAddress = master;
        BuildShortRequest(b.state.buffer, 0);
        ASSERT_EQ(Exchange(b.state), ExchangeOk);
        EXPECT_EQ(b.state.buffer.response[1], (master ? 0x80 : 0x00) | 0x40);
        BuildLongRequest(b.state.buffer, 1);
        ASSERT_EQ(Exchange(b.state), ExchangeOk);
        EXPECT_EQ(b.state.buffer.response[1], (master ? 0x80 : 0x00) | 0x40 | 0x26);
    }
}

// Identification and a poll, through the existing code, of a device of
// another maker and of one in burst mode, on every link: neither is turned
// down by the address check.
TEST(OtherMakersOnEveryLink, AreIdentifiedAndPolled) {
    struct Link {
        const char* name;
        std::function<void(SimBench&, HartIpLoopback&)> use;
    };
    const Link links[] = {
        {"modem", [](SimBench&, HartIpLoopback&) {}},
        {"flow computer",
         [](SimBench& b, HartIpLoopback&) {
             b.useFlowComputer();
             b.state.settings.firstByteWait = 7000;
         }},
        {"HART-IP UDP", [](SimBench& b, HartIpLoopback& s) { s.attach(b.state, kHartIpUdp); }},
        {"HART-IP TCP", [](SimBench& b, HartIpLoopback& s) { s.attach(b.state, kHartIpTcp); }},
    };
    struct Device {
        const char* preset;
        std::array<std::uint8_t, 5> longAddress;  // the 6 address bits of the maker's id in byte 0
        std::uint16_t manufacturerId;
        std::uint16_t deviceType;
        bool own;
        const char* unit;  // of the first variable, by its published code
    } devices[] = {
        {"foreign", {0x39, 0x9C, 0x00, 0x12, 0x34}, 0xF9, 0xF99C, false, "kg/h"},
        {"burst", {0x26, 0x1E, 0x01, 0x20, 0x20}, 0x26, 0x1E, true, nullptr},
    };
    for (const Link& link : links)
        for (const Device& device : devices) {
            SCOPED_TRACE(std::string(link.name) + ", " + device.preset);
            SimBench b(device.preset, false);
            HartIpLoopback server(b.endpoint(), b.clock);
            link.use(b, server);
            ASSERT_TRUE(ensureIdentified(b.state));
            EXPECT_EQ(b.state.identity.longAddress, device.longAddress);
            EXPECT_EQ(b.state.identity.manufacturerId, device.manufacturerId);
            EXPECT_EQ(b.state.identity.deviceType, device.deviceType);
            EXPECT_EQ(isOwnMake(b.state.identity), device.own);
            for (PollRequest request : {PollRequest::Command1, PollRequest::Command3}) {
                b.ui.views.clear();
                b.ui.onProcessEvents = [&] {
                    if (!b.ui.views.empty() && b.ui.views.back()->texts[pollview::kCorrect] == "3")
                        KeyHook(b.state.flags, kKeyEsc);
                };
                std::vector<PollSample> samples;
                PollRunOptions options;
                options.onSample = [&](const PollSample& p) { samples.push_back(p); };
                EXPECT_TRUE(RunSimplePoll(b.state, request, SystemWallClock(), options).done());
                b.ui.onProcessEvents = nullptr;
                ASSERT_GE(samples.size(), 3u);
                for (std::size_t i = 0; i < 3; ++i) {
                    EXPECT_TRUE(samples[i].outcome.done());
                    ASSERT_TRUE(samples[i].reading.has_value());
                }
                if (device.unit && request == PollRequest::Command3) {
                    EXPECT_EQ(b.ui.views.back()->texts[pollview::kUnit], device.unit);
                }
                ASSERT_FALSE(b.ui.views.empty());
                EXPECT_EQ(b.ui.views.back()->texts[pollview::kCorrect], "3");
                EXPECT_EQ(b.ui.views.back()->texts[pollview::kAnswers], "3");
            }
            for (const auto& m : b.ui.messages) EXPECT_NE(m.icon, MessageIcon::Error) << m.text;
        }
}

}  // namespace
}  // namespace quillon
