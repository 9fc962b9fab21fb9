#pragma once

#include <functional>
#include <string>

#include "device/device_state.h"

namespace quillon {

// Menu command "Корректировка значения ..." (inside the port bracket).
void ValueCorrectionCommand(DeviceState& s);

// TGetPopravkaForm: the additive offset and the factor the device corrects with.
struct PopravkaDialog {
    static constexpr const char* kDialogName = "PopravkaDialog";
    std::string caption = "Редактирование поправки";
    std::string offsetText;  // Edit1
    std::string factorText;  // Edit2
    // The correction now in the device, which the fit has to undo.
    float currentOffset = 0.0f;
    float currentFactor = 1.0f;
    // Screen position of the form, filled in by the form before it asks for a fit.
    int left = 0;
    int top = 0;
    // PodborButton: runs the coefficient fitting and, when it is accepted,
    // replaces both texts. The form reloads the texts afterwards.
    std::function<void(PopravkaDialog&)> fit;
};

}  // namespace quillon
