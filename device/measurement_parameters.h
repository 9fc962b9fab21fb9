#pragma once

#include <string>

#include "device/device_state.h"

namespace quillon {

// Menu command "Параметры измерений ..." (inside the port bracket).
void MeasurementParametersCommand(DeviceState& s);

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
