#include <bit>

#include "device/decimal_field.h"
#include "device/measurement_parameter_sets.h"
#include "device/measurement_parameters.h"
#include "device/number_entry.h"

namespace quillon {

void EditCathodicSensorParameters(DeviceState& s) {
    MeasurementParameters p;
    if (!ReadForDialog(s, p)) return;

    KatPotParamsDialog dialog;
    dialog.unit = p.currentOutput ? 1 : 0;
    dialog.shunt = ShuntItemFor(p.shunt);
    dialog.shuntValueText = FormatGeneral(p.shunt, 7, s.decimalSeparator);
    if (!s.ui.show(dialog)) return;

    p.currentOutput = dialog.unit == 1;
    // A voltage output keeps the shunt the device has.
    if (p.currentOutput) {
        const std::optional<float> typed = ConvertSingleField(s, dialog.shuntValueText);
        if (!typed) return;
        p.shunt = *typed;
    }
    WriteFromDialog(s, p);
}

}  // namespace quillon
