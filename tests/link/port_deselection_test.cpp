#include <gtest/gtest.h>

#include "device/polling.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/link_bench.h"
#include "link/main_caption.h"

namespace quillon::testing {
namespace {

constexpr const char* kWithPort = "Обслуживание датчиков температуры. Порт ttyFAKE. Адрес 1";
constexpr const char* kNoPort = "Обслуживание датчиков температуры. Порт не выбран. Адрес 1";

// The caption names the port only while it is chosen, whoever deselects it.
TEST(PortDeselection, TheCaptionFollowsAFailedOpen) {
    struct Case {
        const char* when;
        OpenFailure failure;
    } cases[] = {{"busy", OpenFailure::Busy}, {"gone", OpenFailure::NotFound}};
    for (const auto& c : cases) {
        LinkBench b;
        UpdateMainCaption(b.s);
        ASSERT_EQ(b.ui.mainCaption, kWithPort);
        b.ports.failures["ttyFAKE"] = c.failure;
        OpenPort(b.s);
        EXPECT_EQ(b.s.settings.portIndex, 0) << c.when;
        EXPECT_EQ(b.ui.mainCaption, kNoPort) << c.when;
        ASSERT_EQ(b.ui.messages.size(), 1u) << c.when;
        EXPECT_EQ(b.ui.messages[0].caption, "GetLastError") << c.when;
    }
}

// A port that vanishes while a poll runs: the recovery after three silent
// exchanges cannot reopen it, says why, and the caption stops naming it
// before the next exchange reports that no port is chosen and ends the poll.
TEST(PortDeselection, APortThatVanishesDuringAPollLeavesTheCaptionTrue) {
    LinkBench b;
    UpdateMainCaption(b.s);
    b.s.target.identified = true;
    b.ports.failures["ttyFAKE"] = OpenFailure::NotFound;  // unplugged while open
    b.ui.onWaitForClose = [] {};
    RunSimplePoll(b.s, PollRequest::Command1);
    const auto texts = b.ui.messageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(b.ui.messages[0].caption, "GetLastError");
    EXPECT_EQ(texts[1], "COM-port not selected!");
    EXPECT_EQ(b.ui.mainCaption, kNoPort);
    // The caption changed between the two boxes, not only at the end.
    const auto& events = b.ui.events;
    const auto at = [&](const std::string& needle) {
        for (std::size_t i = 0; i < events.size(); ++i)
            if (events[i].find(needle) != std::string::npos) return i;
        return events.size();
    };
    EXPECT_LT(at("Порт не выбран."), at("COM-port not selected!"));
    EXPECT_GT(at("Порт не выбран."), at("message information"));
}

}  // namespace
}  // namespace quillon::testing
