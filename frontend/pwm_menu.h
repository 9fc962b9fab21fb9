#pragma once

#include "device/device_state.h"
#include "frontend/frontend_state.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// The PWM device's menu: shown again after each choice until Cancel.
void PwmDeviceMenu(DeviceState& s, FrontendState& f);

// The values at the ends of the PWM device's output range (settings 17, 18).
void PwmOutputRangeSettings(DeviceState& s);

// Writes settings 17 and 18 of the PWM device: the values at the ends of its
// output range. NotPossible without the PWM output; InputRefused for a value
// that is not a finite number. Partial when only the first was written.
Outcome WritePwmOutputRange(DeviceState& s, float low, float high, const AskRepeatOnLock& askRepeat);
// Done: "Данные успешно записаны!"; otherwise the failure's boxes.
Report PwmOutputRangeReport(const Outcome& o);

}  // namespace quillon
