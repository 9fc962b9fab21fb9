#pragma once

#include <optional>
#include <string>

#include "device/device_state.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// Menu command "Параметры измерений ..." (inside the port bracket).
void MeasurementParametersCommand(DeviceState& s);

// Which values the command edits on a device, by its variant and the
// selected channel.
enum class MeasurementSet {
    None,      // revisions 10 and 13: nothing to edit
    A,         // settings 12, 14 (damping), 13 or 11
    AI2c,      // the I2C channel of revision 16: set A without damping
    B,         // revision 15: settings 14, 12, 11, 4
    Cathodic,  // revision 7: settings 2 and 8 of the cathodic-potential sensor
    Count,     // older devices: measurements between self-calibrations (118/117)
};
MeasurementSet MeasurementSetOf(const DeviceIdentity& id);

// The values of every set; each set uses its own fields.
struct MeasurementParameters {
    int mainPeriod = 0;          // A, B: setting 12, seconds
    std::optional<int> damping;  // A, B: setting 14, points averaged (absent on the I2C channel)
    int thirdPeriod = 0;         // A: setting 13 (feedback) or 11 (ambient); B: setting 11
    int ambientCalibration = 0;  // B: setting 4
    bool currentOutput = false;  // Cathodic: setting 2
    float shunt = 0.001f;        // Cathodic: setting 8, ohms (written as read for a voltage output)
    int measurementCount = 40;   // Count
};

// Reads the values of the device's set (defaults where the device has none;
// what it is told of those goes to `notes`). NotPossible: set None, an older
// device without the count, or a device of another maker, before any request.
Result<MeasurementParameters> ReadMeasurementParameters(DeviceState& s, Report* notes = nullptr);
// The boxes of a read that did not end done.
Report MeasurementReadReport(const DeviceIdentity& id, const Outcome& o);

// Checks and writes the values of the device's set. InputRefused, before any
// request, with the refusal's text as `reason`: a negative period, damping
// out of range, a shunt not above zero, a count outside 1-255. On the write
// lock `askRepeat` decides whether the refused setting goes out again;
// Partial when some settings were written and the rest not.
Outcome WriteMeasurementParameters(DeviceState& s, const MeasurementParameters& p, const AskRepeatOnLock& askRepeat);
// The boxes of a write; the success text only when done.
Report MeasurementWriteReport(const DeviceIdentity& id, const MeasurementParameters& p, const Outcome& o);

// TMeasParamsForm: damping and the self-calibration periods.
struct MeasParamsDialog {
    static constexpr const char* kDialogName = "MeasParamsDialog";
    std::string caption = "Параметры измерений";
    std::string dempfLabel;       // DempfLabel
    bool dempfVisible = true;     // DempfLabel and DempfEdit (hidden on the I2C channel)
    std::string dempfText;        // DempfEdit
    std::string timeCalibrPText;  // TimeCalibrPEdit
    std::string timeCalibrFeedbackLabel = "Период калибровки канала обр.связи, сек :";
    std::string timeCalibrFeedbackText;  // TimeCalibrFeedbackEdit
};

// TMeasParamsMultitForm: the multi-temperature transmitter's four values.
struct MeasParamsMultitDialog {
    static constexpr const char* kDialogName = "MeasParamsMultitDialog";
    std::string caption = "Параметры измерений";
    std::string dempfLabel;           // DempfLabel
    std::string dempfText;            // DempfEdit
    std::string timeCalibrPText;      // TimeCalibrPEdit
    std::string timeMeasureTokrText;  // TimeMeasureTokrEdit
    std::string timeCalibrTokrText;   // TimeCalibrTokrEdit
};

// TKatPotParamsForm: output quantity and shunt of the cathodic-potential sensor.
struct KatPotParamsDialog {
    static constexpr const char* kDialogName = "KatPotParamsDialog";
    std::string caption = "Параметры датчика катодного потенциала";
    int unit = 0;                // UnitRadioGroup: 0 = voltage, 1 = current
    int shunt = 3;               // ShuntRadioGroup: three standard shunts, 3 = other
    std::string shuntValueText;  // ShuntValueEdit
};

// TChangeMeasParamsForm: measurements between self-calibrations (older devices).
struct ChangeMeasParamsDialog {
    static constexpr const char* kDialogName = "ChangeMeasParamsDialog";
    std::string caption = "Изменение параметра измерений";
    int count = 40;  // CSpinEdit1, 1-255
};

inline constexpr int kMinMeasurementCount = 1;
inline constexpr int kMaxMeasurementCount = 255;

// Items of the cathodic-potential dialog and what choosing a standard shunt
// writes into the value field.
inline constexpr const char* kUnitItems[] = {"Напряжение (вольты)", "Ток (миллиамперы)"};
inline constexpr const char* kShuntItems[] = {"Шунт 50A     0.0015 Ом", "Шунт 75A     0.0010 Ом",
                                              "Шунт 100A   0.00075 Ом", "Другой , Ом :"};
inline constexpr int kOtherShunt = 3;
// The value text of standard shunt `index` (0-2); empty for other items.
std::string StandardShuntText(int index);
// The item that matches a stored shunt exactly, else kOtherShunt.
int ShuntItemFor(float shunt);
// The shunt choice only matters (and is only shown) for a current output.
inline bool ShuntVisible(int unit) { return unit == 1; }

// Damping points the device accepts at most.
int DampingLimit(const DeviceIdentity& id);

}  // namespace quillon
