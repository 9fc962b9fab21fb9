#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/held_output.h"
#include "device/identification.h"
#include "frontend/fixed_output.h"
#include "frontend/output_release.h"
#include "link/hart_ip_link.h"
#include "link/serial_link.h"
#include "support/hart_ip_loopback.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::HartIpLoopback;
using testing::SimBench;

constexpr std::uint8_t kCurrentFixedBit = 0x08;

// The device a test fixes, on the link the case names.
struct Held {
    explicit Held(const std::function<void(Held&)>& link) : b("rev8"), server(b.endpoint(), b.clock) { link(*this); }
    bool deviceHolds() {
        const auto& p = b.device().profile();
        return (p.deviceStatus & kCurrentFixedBit) != 0 || p.loopCurrentBeforeFix.has_value();
    }
    SimBench b;
    HartIpLoopback server;
};

// Fix the loop current, then release it as the windows do when they close
// and as the command line does after --hold or a signal: on the link it was
// fixed on, whatever happened to that link meanwhile.
TEST(ReleaseOnEachLink, TheOutputFixedIsReleasedAndTheDeviceIsFree) {
    const auto modem = [](Held&) {};
    const auto tunnel = [](Held& h) {
        h.b.useFlowComputer();
        h.b.state.settings.firstByteWait = 7000;
    };
    const auto udp = [](Held& h) { h.server.attach(h.b.state, kHartIpUdp); };
    const auto tcp = [](Held& h) { h.server.attach(h.b.state, kHartIpTcp); };
    const auto nothing = [](Held&) {};
    struct Case {
        const char* name;
        std::function<void(Held&)> link;
        std::function<void(Held&)> duringHold;
        bool released;
    } cases[] = {
        {"modem", modem, nothing, true},
        {"modem, port closed between commands", modem, [](Held& h) { ClosePort(h.b.state); }, true},
        {"flow computer", tunnel, [](Held& h) { ClosePort(h.b.state); }, true},
        {"HART-IP UDP", udp, nothing, true},
        {"HART-IP TCP", tcp, nothing, true},
        {"HART-IP UDP, server restarted", udp, [](Held& h) { h.server.restart(); }, true},
        {"HART-IP TCP, server restarted", tcp, [](Held& h) { h.server.restart(); }, true},
        {"HART-IP TCP, session closed", tcp, [](Held& h) { CloseHartIpSession(h.b.state); }, true},
        {"HART-IP UDP, server gone",
         udp,
         [](Held& h) {
             CloseHartIpSession(h.b.state);
             h.server.refuseConnections = true;
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Held h(c.link);
        ASSERT_TRUE(ensureIdentified(h.b.state));
        h.b.ui.onDialog<FixTokDialog>([](FixTokDialog& d) {
            d.mode = 1;
            d.value = "12";
            return true;
        });
        FixCurrentMenuCommand(h.b.state, h.b.state.frontend);
        ASSERT_TRUE(ToolHoldsOutput(h.b.state));
        ASSERT_TRUE(h.deviceHolds());
        h.b.ui.clearRecord();

        c.duringHold(h);
        const std::vector<HoldRelease> results = ReleaseHeldOutputs(h.b.state);
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(results[0].outcome.kind, c.released ? OutcomeKind::Done : OutcomeKind::NoAnswer);
        EXPECT_EQ(h.deviceHolds(), !c.released);
        EXPECT_EQ(ToolHoldsOutput(h.b.state), !c.released);
        EXPECT_TRUE(h.b.ui.messages.empty()) << "the release reports in its own words, once";
        if (!c.released) {
            EXPECT_EQ(ReleaseFailureText(results), "Не удалось снять фиксацию выхода: устройство не отвечает.");
        }
    }
}

}  // namespace
}  // namespace quillon
