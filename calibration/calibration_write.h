#pragma once

#include <string>

#include "app/app_state.h"
#include "calibration/calibration_form.h"

namespace quillon {

// Sending the calibration in memory to the connected device, in the form that
// device uses. Each reports its outcome in message boxes and leaves the
// calibration in memory unchanged, so the same calibration can be sent again.
void WriteSegments(AppState& s, bool withExtraPoint);
void WriteCodePoints(AppState& s);
void WriteTemperaturePairs(AppState& s);

// "Переслать в датчик" of a view of `list`: identifies the device and sends
// the list with the write of the device's form. A list of another form than
// the device's is refused with a message naming both, before any request.
void SendCalibration(AppState& s, CalibrationList list, bool withExtraPoint);

// Parameter block 111 of the hardware-1 segment devices: the last code point
// (16-bit code, value, check byte), or seven zero bytes when `fromLastPoint`
// is false or there is no point. True when the device took it.
bool WriteExtraPoint(AppState& s, bool fromLastPoint);

// Offset 0.0 and factor 1.0 after a new calibration; true at once on devices
// without a value correction.
bool ResetValueCorrection(AppState& s);

// Asks the device (setting 23) whether it accepts the calibration written.
bool CheckCalibrationValid(AppState& s);

// "Редактировать точку" on a code-point list: true when a point was accepted.
bool EditCalibrationPoint(AppState& s, int index);

}  // namespace quillon
