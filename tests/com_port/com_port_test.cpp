#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "app/app_state.h"
#include "device/identification.h"
#include "device/parameter_access.h"
#include "device/polling_answer.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/main_caption.h"
#include "link/platform.h"
#include "link/serial_link.h"
#include "support/scripted_ui.h"

// The tool's engine on this system's serial backend, talking to a simulated
// device behind a real COM port. The port is named by QUILLON_TEST_COM
// ("COM12"); the simulator behind it must be started with --preset rev8
// --long-address 260F092964, fresh for each run of this program.
namespace quillon {
namespace {

std::string TestPort() {
    const char* name = std::getenv("QUILLON_TEST_COM");
    return name ? name : "";
}

class ComPort : public ::testing::Test {
protected:
    void SetUp() override {
        if (TestPort().empty()) GTEST_SKIP() << "QUILLON_TEST_COM names no port";
        state.port.performanceFrequency = clock->counterFrequency();
        ScanPorts(state);
        const auto& list = state.port.portList;
        const auto found = std::find(list.begin(), list.end(), TestPort());
        ASSERT_NE(found, list.end()) << "the port scan did not find " << TestPort();
        state.settings.portIndex = static_cast<int>(found - list.begin());
        state.settings.linkType = kLinkDirect;
        state.settings.hartSpeedIndex = 0;  // 1200 baud, odd parity
        state.settings.shortAddress = 0;
        state.settings.firstByteWait = 2000;
        EnsurePortOpen(state);
        ASSERT_TRUE(PortIsOpen(state)) << (ui.messages.empty() ? "" : ui.messages[0].text);
    }
    void TearDown() override { ClosePort(state); }

    testing::ScriptedUi ui;
    std::unique_ptr<PortSystem> ports = MakePlatformPortSystem();
    std::unique_ptr<Clock> clock = MakePlatformClock();
    AppState state{ui, *ports, *clock};
};

TEST_F(ComPort, IdentifiesPollsAndWritesASetting) {
    EXPECT_EQ(MainCaptionText(state), "Обслуживание датчиков температуры. Порт " + TestPort() + ". Адрес 0");

    // Command 0 through the real identification.
    ASSERT_TRUE(ensureIdentified(state)) << ::testing::PrintToString(ui.messageTexts());
    EXPECT_EQ(state.identity.longAddress, (std::array<std::uint8_t, 5>{0x26, 0x0F, 0x09, 0x29, 0x64}));
    EXPECT_EQ(state.identity.softwareRevision, 8);

    // Command 3, a few times, as the poll sends it.
    for (int i = 0; i < 3; ++i) {
        BuildLongRequest(state.buffer, PollCommandNumber(PollRequest::Command3));
        ASSERT_EQ(Exchange(state), ExchangeOk) << "poll " << i;
        EXPECT_EQ(PollResponseCode(state.buffer), 0) << "poll " << i;
        const auto reading = ReadPollAnswer(state.buffer, PollRequest::Command3);
        ASSERT_TRUE(reading) << "poll " << i;
        EXPECT_TRUE(reading->auxiliaryBits) << "command 3 carries the loop current";
        EXPECT_GE(reading->furtherCount, 1);
        InterExchangePause(state);
    }

    // A setting written with command 177 reads back with 176.
    constexpr std::uint8_t kSetting = 40;
    ASSERT_EQ(writeSetting(state, kSetting, 0x01020304, "Запись"), kSettingWritten)
        << ::testing::PrintToString(ui.messageTexts());
    const SettingReadResult read = readSetting(state, kSetting, "Чтение");
    EXPECT_EQ(read.result, kSettingRead);
    EXPECT_EQ(read.value, 0x01020304u);

    // Closed between commands and opened again, the port still works. Without
    // parity: Wine takes odd parity on a pseudo-terminal only once, and
    // refuses it with "invalid parameter" afterwards; a pseudo-terminal has
    // no parity anyway.
    ClosePort(state);
    state.settings.hartSpeedIndex = 2;  // 19200 baud, no parity
    EnsurePortOpen(state);
    ASSERT_TRUE(PortIsOpen(state)) << ::testing::PrintToString(ui.messageTexts());
    BuildLongRequest(state.buffer, 1);
    EXPECT_EQ(Exchange(state), ExchangeOk);
    for (const auto& m : ui.messages) EXPECT_NE(m.caption, "GetLastError") << m.text;
}

}  // namespace
}  // namespace quillon
