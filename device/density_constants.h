#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "device/device_state.h"
#include "link/outcome.h"
#include "link/report.h"

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

// What the constants message and the factor block carry.
struct DensityConstants {
    // Kind 0: 1 = use the temperature constant; kinds 1 and 2: the operating
    // mode (always 0 on the current-output device that imitates a meter).
    std::uint8_t first = 0;
    float constant = 0.0f;
    bool usePeriod = false;
    float period = 0.0f;
    // Kind 2, except the imitating device: the correction factor and its use.
    float factor = 1.0f;
    bool useFactor = false;
};

// What a meter of kind 1 or 2 holds. `constantValid` clear: its block 127 had
// a wrong check byte (never entered) and the constant and mode read as 0.
// The factor is 1 and unused where the meter has none or its block was bad.
struct DensityConstantsRead {
    DensityConstants constants;
    bool constantValid = false;
    int blocksRead = 0;  // how far the read got: 1 after block 127, 2 after 133
};

// Reads the stored constants of a kind 1 or 2 meter (blocks 127 and, except
// on the imitating device, 133). NotPossible for a device that is no density
// meter, a meter of kind 0 (which keeps nothing to read) or another maker's device.
Result<DensityConstantsRead> ReadDensityConstants(DeviceState& s);
Report DensityConstantsReadReport(const Result<DensityConstantsRead>& r);

// Writes the constants message (command 114) and, on a kind 2 meter other
// than the imitating device, the factor block and the re-check (command 192,
// group 2). InputRefused, before any request, for a negative period or a
// value that is not a finite number. Done only when every write was taken
// and the re-check accepted them; Partial when the steps stopped part-way; a
// re-check that answers "not accepted" is Refused with its text as reason.
Outcome WriteDensityConstants(DeviceState& s, const DensityConstants& c, const AskRepeatOnLock& askRepeat);
// The kind decides the success text; none but Done gets one.
Report DensityConstantsWriteReport(const DeviceIdentity& id, const Outcome& o);

inline constexpr const char* kDensityModeItems[] = {"Плотномер 515-524 мкс, точность = 1нс",
                                                    "Плотномер 700-30000мкс, точность = 4нс"};

// The density meter's own float layout: mantissa low byte first with the
// leading one written out in bit 7 of byte 2, then the biased exponent; no
// sign (values are taken as positive), zero as four zero bytes.
std::array<std::uint8_t, 4> ToDensityFloat(float value);
float FromDensityFloat(const std::uint8_t* bytes);

}  // namespace quillon
