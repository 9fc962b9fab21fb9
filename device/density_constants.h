#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "device/device_state.h"

namespace quillon {

// Menu command "Константа для плотномера ..." (inside the port bracket).
void DensityMeterConstantsCommand(DeviceState& s);

// TPlotnoConstForm. By design the mode and factor groups are hidden; each
// generation of density meter shows what it has.
struct PlotnoConstDialog {
    static constexpr const char* kDialogName = "PlotnoConstDialog";
    std::string caption = "Константы для плотномера";
    // "Температура : " group.
    std::string temperText = "20";  // TemperEdit
    bool useTVisible = true;        // UseTCheckBox
    bool useT = false;
    // "Период : " group.
    std::string periodText = "512";  // PeriodEdit
    bool usePer = false;             // UsePerCheckBox
    // TypeRadioGroup: operating mode.
    bool typeVisible = false;
    int type = 0;
    // MnogGroupBox: correction factor.
    bool mnogVisible = false;
    bool useMul = false;   // UseMulCheckBox
    std::string mnogText;  // MnogEdit
};

inline constexpr const char* kDensityModeItems[] = {"Плотномер 515-524 мкс, точность = 1нс",
                                                    "Плотномер 700-30000мкс, точность = 4нс"};

// The density meter's own float layout: mantissa low byte first with the
// leading one written out in bit 7 of byte 2, then the biased exponent; no
// sign (values are taken as positive), zero as four zero bytes.
std::array<std::uint8_t, 4> ToDensityFloat(float value);
float FromDensityFloat(const std::uint8_t* bytes);

}  // namespace quillon
