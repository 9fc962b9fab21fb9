#pragma once

#include <array>
#include <cstdint>

#include "device/device_state.h"
#include "device/dialogs.h"
#include "device/sensor_id.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// Channel configuration as setting 33 holds it: bits 0-7 the main channel
// (0 = channel 1, converter; 1 = channel 2, I2C), bit 8 channel 1 active,
// bit 9 channel 2 active. In `channelConfig` byte k is bits 8k..8k+7.
std::array<std::uint8_t, 4> ChannelConfigFromValue(std::uint32_t value);
std::uint32_t ChannelConfigValue(const ChannelDialog& dialog);

// TSelectChannelForm from `channelConfig`: editable for the channel command,
// read-only ("Текущие каналы") after identification.
void FillChannelDialog(const DeviceIdentity& id, ChannelDialog& dialog, bool editable);

// Empty when the dialog may be accepted, else the message that keeps it open.
const char* ChannelDialogError(const ChannelDialog& dialog);

// Reads the channel configuration (setting 33) of a revision-16 device. A
// refusal with a response code leaves the device on its default, 0, with its
// box in `notes`. NotPossible before any request on another variant or maker.
Result<std::array<std::uint8_t, 4>> ReadChannelConfig(DeviceState& s, Report* notes = nullptr);
Report ChannelConfigReadReport(const Outcome& o);
// Writes it; Done: kept in `channelConfig`, and `selectedChannel` follows
// the main channel.
Outcome WriteChannelConfig(DeviceState& s, std::uint32_t value, const AskRepeatOnLock& askRepeat);
Report ChannelConfigWriteReport(const Outcome& o);

// Body of "Выбор активных каналов" (inside the port bracket).
void SelectChannelCommand(DeviceState& s);

}  // namespace quillon
