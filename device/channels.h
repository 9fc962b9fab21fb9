#pragma once

#include <array>
#include <cstdint>

#include "device/device_state.h"
#include "device/dialogs.h"
#include "device/sensor_id.h"

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

// Body of "Выбор активных каналов" (inside the port bracket).
void SelectChannelCommand(DeviceState& s);

}  // namespace quillon
