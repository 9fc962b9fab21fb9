#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/device_identity.h"
#include "device/device_state.h"
#include "device/variant.h"
#include "link/outcome.h"

namespace quillon {

// One device that answered command 0 during a loop scan.
struct LoopScanRow {
    std::uint8_t shortAddress = 0;
    std::array<std::uint8_t, 5> longAddress{};
    std::uint8_t universalRevision = 0;
    std::uint8_t deviceRevision = 0;
    std::uint8_t softwareRevision = 0;
    std::uint8_t hardwareRevision = 0;
    // Who made it and what it is (expanded for HART 7), and whether this
    // tool's maker-specific commands may go to it.
    std::uint16_t manufacturerId = 0;
    std::uint16_t deviceType = 0;
    bool ownMake = true;
    // As identification would derive it, with the maker and device type.
    std::string variant;
    std::optional<std::string> tag;  // when the device answered command 20
};

// The window "Поиск устройств на линии". The core fills `scan` and `stop`;
// the form runs `scan` when the user starts it, calls `stop` from its Stop
// button, and is told through `changed` when rows or progress moved on.
struct LoopScanDialog {
    static constexpr const char* kDialogName = "LoopScanDialog";
    std::string caption = "Поиск устройств на линии";
    bool wideRange = false;  // addresses 0-63 instead of 0-15
    std::vector<LoopScanRow> rows;
    std::string progressText;
    int progressDone = 0;
    int progressTotal = 0;
    bool running = false;
    bool stopped = false;  // the last scan ended early
    int selectedRow = -1;  // the user's choice when the window is confirmed

    std::function<void(LoopScanDialog&)> scan;
    std::function<void()> stop;
    std::function<void()> changed;
};

// Tries for each address. A silent address gets one: a HART device answers
// within the slave time-out or not at all. The second try is only for an
// answer that arrived but failed its checks (a noise hit, a collision).
inline constexpr int kLoopScanAttempts = 2;

// The data link's slave time-out: 28 character times at 1200 baud with odd
// parity (11 bits), 256.7 ms, rounded up. Faster lines do not make a device
// think faster, so the 1200-baud figure holds at every speed.
inline constexpr int kSlaveTimeOutMs = 257;
// What the modem's carrier detect and the port driver add before the first
// byte reaches the tool.
inline constexpr int kScanLatencyMarginMs = 43;

// The first-byte wait of the scan's requests: the user's wait, but no longer
// than a device may take on the direct link. Through a flow computer the
// answer comes from the computer, after its own wait, so the user's stays.
int LoopScanFirstByteWait(const LinkSettings& settings);

// Called before each address is tried, and after each device found.
struct LoopScanProgress {
    int address = 0;
    int done = 0;
    int total = 0;
    const std::vector<LoopScanRow>* rows = nullptr;  // found so far
};
using LoopScanProgressSink = std::function<void(const LoopScanProgress&)>;

// Addresses 0-15 (0-63 with `wideRange`), command 0 to each, command 20 to
// each that answers. Done: every address was tried. Interrupted (Enter, Esc,
// Stop) or NoAnswer (the link was lost, its words in `reason`): the rows are
// those found until then. The link settings and the identity are left as
// they were.
Result<std::vector<LoopScanRow>> ScanLoop(DeviceState& s, bool wideRange, const LoopScanProgressSink& progress = {});

// The window's scan: ScanLoop with its rows and progress in the dialog.
void RunLoopScan(DeviceState& s, LoopScanDialog& dialog);

// Row texts as the window lists them.
std::string LoopScanLongAddressText(const LoopScanRow& row);
std::string LoopScanRevisionsText(const LoopScanRow& row);

// Makes the chosen device the current one: its short address, a fresh
// identification next time, the caption.
void ChooseScannedDevice(DeviceState& s, const LoopScanRow& row);

// The menu command: the window, the scan inside the port bracket, the choice.
void LoopScanCommand(DeviceState& s);

}  // namespace quillon
