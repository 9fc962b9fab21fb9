#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillon {

struct AppState;

// What the tool has made the device hold and not yet released: a fixed loop
// current (or voltage), a fixed PWM duty, and whether the device's own status
// says its current is fixed (another program may have fixed it). A plant's
// control loop sees a false value while any of these holds, so the main
// window and the statistics window say so, and closing the tool asks first.
struct HeldOutput {
    std::optional<double> loopValue;  // mA, or V on the voltage variant
    bool loopIsVoltage = false;
    std::optional<float> duty;
    bool deviceReportsFixedCurrent = false;
    std::string shownBanner;  // what the windows show now
};

// Device status bit of a fixed loop current.
inline constexpr std::uint8_t kFixedCurrentStatusBit = 0x08;

// After a successful command 40: 0.0 releases the loop.
void NoteFixedLoopOutput(AppState& s, double value, bool voltage);
// After a successful write of setting 6: a duty, or nothing for the release.
void NoteFixedDuty(AppState& s, std::optional<float> duty);
// The device status byte of a poll answer.
void NoteDeviceStatus(AppState& s, std::uint8_t deviceStatus);

// The banner's text; empty when nothing is held.
std::string HeldOutputBanner(const AppState& s);
// True when the tool itself left the device holding something.
bool ToolHoldsOutput(const AppState& s);
// The question asked before the tool closes while it holds the device.
std::string ReleaseBeforeCloseQuestion(const AppState& s);

// Releases what the tool has fixed: command 40 with 0.0 and setting 6 with the
// no-duty pattern, inside the port bracket. True when everything was released;
// failures have been reported.
bool ReleaseHeldOutput(AppState& s);

}  // namespace quillon
