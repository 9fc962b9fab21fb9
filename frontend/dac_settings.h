#pragma once

#include <cstdint>

#include "app/app_state.h"

namespace quillon {

// Menu command "Параметры ЦАП ..." (inside the port bracket).
void DacSettingsCommand(AppState& s);

// Devices whose DAC scaling can be set at all (those that keep it as
// numbered settings 17, 18, 5, 13: isDacBySettings of the device variant).
bool supportsDacSettings(const DeviceIdentity& id);

// The three ways the devices keep their DAC scaling: settings 0, 1, 6, 7
// (revision 7), settings 17, 18, 5, 13, and the parameter-block record.
void DacScalingBySettings0167(AppState& s);
void DacScalingBySettings17_18_5_13(AppState& s);
void DacScalingByRecord(AppState& s);

// What the settings 17, 18, 5, 13 start from when the device has none entered:
// the slope is a single on the converter families A and B, an integer elsewhere.
struct DacDefaults {
    float lowValue;
    float highValue;
    bool floatSlope;
    std::uint32_t slope;  // bits of the single, or the integer
    std::int32_t offset;
};
DacDefaults DacDefaultsBySettings(const DeviceIdentity& id);

}  // namespace quillon
