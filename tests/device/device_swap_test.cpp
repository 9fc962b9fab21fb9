#include <gtest/gtest.h>

#include <array>
#include <string>

#include "device/identification.h"
#include "device/parameter_access.h"
#include "link/key_hook.h"
#include "device_test_support.h"

namespace quillon {
namespace {

using testing::SimBench;

// A device swapped on the bench at the same short address: the next command
// after a long-frame silence finds the newcomer with one command 0 and
// identifies it; a device that was only silent for a while, or still is,
// keeps its identity.
TEST(DeviceSwap, OneCommandZeroAfterALongFrameSilenceFindsTheNewDevice) {
    const std::array<std::uint8_t, 5> original{0x26, 0x16, 0x01, 0x01, 0x20};
    const std::array<std::uint8_t, 5> newcomer{0x26, 0x16, 0x01, 0x02, 0x77};
    enum class Bench { Swapped, SilentOnce, StillSilent };
    for (Bench bench : {Bench::Swapped, Bench::SilentOnce, Bench::StillSilent}) {
        SCOPED_TRACE(static_cast<int>(bench));
        SimBench b("rev6-hw1", false);
        b.state.settings.shortAddress = 0;
        ASSERT_TRUE(ensureIdentified(b.state));
        ASSERT_EQ(b.state.identity.longAddress, original);

        if (bench == Bench::Swapped) b.device().setLongAddress(newcomer);
        else b.faults().set(sim::Fault::NoAnswer, true);
        // The windows go on asking until Esc: the engineer gives up after two silences.
        const std::size_t before = b.ui.progressTexts.size();
        b.ui.onProcessEvents = [&] {
            if (b.ui.progressTexts.size() >= before + 3) KeyHook(b.state.flags, kKeyEsc);
        };
        EXPECT_FALSE(ReadSetting(b.state, 1, "Чтение").done());
        b.ui.onProcessEvents = nullptr;
        ASSERT_TRUE(b.state.longFrameUnanswered) << ::testing::PrintToString(b.ui.progressTexts);
        if (bench == Bench::SilentOnce) b.faults().set(sim::Fault::NoAnswer, false);

        b.ui.clearRecord();
        const unsigned answered = b.device().answered;
        const bool identified = ensureIdentified(b.state);
        const std::string said =
            "На коротком адресе 0 отвечает другое устройство: длинный адрес 26h 16h 01h 02h 77h вместо 26h 16h "
            "01h 01h 20h. Устройство будет определено заново.";
        switch (bench) {
            case Bench::Swapped:
                EXPECT_TRUE(identified);
                EXPECT_EQ(b.state.identity.longAddress, newcomer);
                ASSERT_FALSE(b.ui.messageTexts().empty());
                EXPECT_EQ(b.ui.messageTexts().front(), said);
                break;
            case Bench::SilentOnce:
                // The check itself: one answered command 0, nothing shown.
                EXPECT_TRUE(identified);
                EXPECT_EQ(b.device().answered, answered + 1);
                EXPECT_TRUE(b.ui.messageTexts().empty());
                EXPECT_EQ(b.state.identity.longAddress, original);
                break;
            case Bench::StillSilent:
                EXPECT_TRUE(identified);
                EXPECT_TRUE(b.ui.messageTexts().empty());
                EXPECT_EQ(b.state.identity.longAddress, original);
                break;
        }
        // Checked once: the flag is spent until the next long-frame silence.
        EXPECT_FALSE(b.state.longFrameUnanswered);
    }
}

}  // namespace
}  // namespace quillon
