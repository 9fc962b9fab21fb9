#pragma once

#include <string>
#include <vector>

#include "device/device_state.h"

namespace quillon {

// TGetChannelForm: which measuring channel the next command addresses.
struct MeasuringChannelDialog {
    static constexpr const char* kDialogName = "MeasuringChannelDialog";
    std::string caption = "Выбор канала";
    std::vector<std::string> items;  // the radio group's items
    int channel = 0;                 // radio index, preset with `selectedChannel`
};

// Devices with a second measuring channel: software revision 9 with device
// revision 11, or software revision 16.
bool hasSecondMeasuringChannel(const DeviceIdentity& id);

// Calibration points of the device for the channel now selected: revision 16
// keeps 8 on its I2C channel and 25 on the converter channel.
int calibrationPointCountForChannel(const DeviceIdentity& id);

// Asks which channel the calling command is for, on two-channel devices, and
// sets `selectedChannel`. False: the user cancelled and the command stops.
bool AskMeasuringChannel(DeviceState& s);

}  // namespace quillon
