#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/link_route.h"

namespace quillon {

struct DeviceState;

// One device the tool has made hold its output, and the route it was reached
// on. The hold is the device's, not the link's: after a change of address,
// port or link it is still that device that has to be released.
struct HeldDevice {
    std::array<std::uint8_t, 5> longAddress{};
    LinkRoute route;
    std::optional<double> loopValue;  // mA, or V on the voltage variant
    bool loopIsVoltage = false;
    std::optional<float> duty;
};

// What the tool has made devices hold and not yet released (a fixed loop
// current or voltage, a fixed PWM duty), and whether the device polled last
// says its current is fixed (another program may have fixed it). A plant's
// control loop sees a false value while any of these holds, so the main
// window and the statistics window say so, and closing the tool asks first.
struct HeldOutput {
    std::vector<HeldDevice> devices;  // in the order they were first fixed
    bool deviceReportsFixedCurrent = false;
    std::array<std::uint8_t, 5> reportingDevice{};  // whose status that was
    std::string shownBanner;                        // what the windows show now
};

// Device status bit of a fixed loop current.
inline constexpr std::uint8_t kFixedCurrentStatusBit = 0x08;

// After the identified device accepted command 40: 0.0 releases the loop.
void NoteFixedLoopOutput(DeviceState& s, double value, bool voltage);
// After the identified device accepted setting 6: a duty, or nothing for the release.
void NoteFixedDuty(DeviceState& s, std::optional<float> duty);
// The same for a device addressed by its long address, whatever is identified now.
void NoteLoopReleased(DeviceState& s, const std::array<std::uint8_t, 5>& longAddress);
void NoteDutyReleased(DeviceState& s, const std::array<std::uint8_t, 5>& longAddress);
// The device status byte of an answer of the identified device, or of the
// device with `longAddress`.
void NoteDeviceStatus(DeviceState& s, std::uint8_t deviceStatus);
void NoteDeviceStatus(DeviceState& s, const std::array<std::uint8_t, 5>& longAddress, std::uint8_t deviceStatus);

// The banner's text, naming each holding device; empty when nothing is held.
std::string HeldOutputBanner(const DeviceState& s);
// True when the tool itself left a device holding something.
bool ToolHoldsOutput(const DeviceState& s);
// The question asked before the tool closes while it holds a device.
std::string ReleaseBeforeCloseQuestion(const DeviceState& s);

}  // namespace quillon
