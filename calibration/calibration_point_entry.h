#pragma once

#include <string>

#include "calibration/calibration_set.h"
#include "device/device_state.h"

namespace quillon {

inline constexpr int kPointContinue = 0;  // measure on (edit mode: cancelled)
inline constexpr int kPointAccepted = 1;  // the point is in the list
inline constexpr int kPointStop = 2;      // abandon the calibration

// TGetCalibrPointForm.
struct CalibrationPointDialog {
    static constexpr const char* kDialogName = "CalibrationPointDialog";
    static constexpr int kOk = 1;
    static constexpr int kContinue = 2;  // "Продолжить", in edit mode "Отмена"
    static constexpr int kStop = 7;      // "Прекратить", hidden in edit mode
    std::string caption = "Ввод точки калибровки";
    std::string adText;         // ADEdit
    std::string valueText;      // ValueEdit
    bool voltsVisible = false;  // "(Вольты)"
    bool editMode = false;
    int result = kContinue;
};

// The list a typed point goes into.
enum class PointTarget { CodePoints, TemperaturePairs };

// TGetCalibrPointForm: asks for one calibration point, prefilled with the two
// texts, validates it and inserts it into the list of the device's form.
int EnterCalibrationPoint(DeviceState& s, CalibrationSet& cal, const std::string& first, const std::string& second, bool editMode);

// The same into a given list (editing a pair of a list that carries codes).
int EnterCalibrationPointInto(DeviceState& s, CalibrationSet& cal, const std::string& first, const std::string& second, bool editMode,
                              PointTarget target);

}  // namespace quillon
