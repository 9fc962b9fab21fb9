#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

namespace quillon::sim {

class SimDevice;

// What the converter of a simulated transmitter reads while its sensor sits at
// the reference the engineer applies (console: "reference 100.0"). Code-form
// devices report a 24-bit converter code that follows the reference linearly;
// temperature-form devices report the reference itself as a float (revision 14
// and the revision-16 converter channel report the code, carried as a float).
struct LiveInputs {
    double reference = 21.5;  // value units (°C for most devices)
    double noise = 0.002;     // standard deviation of a reading, value units
    double codeAtZero = 2000000.0;
    double codesPerUnit = 20000.0;
    double ambient = 24.0;   // terminals / surroundings, °C
    double internal = 30.5;  // inside the housing, °C
};

// A setting whose value the device measures rather than stores.
using LiveSetting = std::function<std::optional<std::uint32_t>(SimDevice&)>;
using LiveSettingTable = std::map<std::uint8_t, LiveSetting>;

// Settings 10, 19, 20 and 30 of the reading model above. Other commands'
// owners add theirs (a PWM feedback code, say) to the same table.
void InstallLiveReadings(LiveSettingTable& table);

// The 24-bit converter code for a value under the device's live inputs, noise included.
std::uint32_t ConverterCode(SimDevice& device, double value);

}  // namespace quillon::sim
