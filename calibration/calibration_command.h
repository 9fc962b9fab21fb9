#pragma once

#include "calibration/calibration_set.h"
#include "device/device_state.h"

namespace quillon {

// TGetTypeCalibrForm: what the engineer wants to do with a calibration.
struct CalibrationTypeDialog {
    static constexpr const char* kDialogName = "CalibrationTypeDialog";
    static constexpr int kNew = 0;       // "Начать новую калибровку"
    static constexpr int kRead = 1;      // "Вычитать из датчика"
    static constexpr int kFromFile = 2;  // "Прочитать из файла"
    std::string caption = "Выбор действий по калибровке";
    int choice = kRead;
};

// Menu command "Калибровка ..." (inside the port bracket). It identifies the
// device itself where a choice needs one: a file opens without a device.
void CalibrationCommand(DeviceState& s, CalibrationSet& cal);

}  // namespace quillon
