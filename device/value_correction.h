#pragma once

#include <functional>
#include <string>

#include "device/device_state.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// Menu command "Корректировка значения ..." (inside the port bracket).
void ValueCorrectionCommand(DeviceState& s);

// The correction the device applies to its value: value * factor + offset.
struct ValueCorrection {
    float offset = 0.0f;
    float factor = 1.0f;
};

// Reads offset and factor of the selected channel (settings 15 and 16, or 34
// and 35 on the I2C channel of revision 16); defaults where the device has
// none, with what the engineer is told of those in `notes`. NotPossible,
// before any request, on a variant without correction or a device of another
// maker.
Result<ValueCorrection> ReadValueCorrection(DeviceState& s, Report* notes = nullptr);
// The boxes of a read that did not end done.
Report ValueCorrectionReadReport(const Outcome& o);
// Writes offset, then factor. InputRefused for a value that is not a finite
// number; Partial when the offset was written and the factor not.
Outcome WriteValueCorrection(DeviceState& s, const ValueCorrection& c, const AskRepeatOnLock& askRepeat);
// The boxes of a write; "Данные успешно записаны!" only when done.
Report ValueCorrectionWriteReport(const DeviceIdentity& id, const ValueCorrection& c, const Outcome& o);

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
