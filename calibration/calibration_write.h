#pragma once

#include "calibration/calibration_form.h"
#include "calibration/calibration_set.h"
#include "device/device_state.h"

namespace quillon {

// The windows' flows of sending the calibration in memory to the connected
// device: identification and the channel and sensor-id questions, the write
// (calibration_write_op.h) with the windows' questions, then its report. The
// calibration in memory stays unchanged, so the same one can be sent again.
void WriteSegments(DeviceState& s, CalibrationSet& cal, bool withExtraPoint);
void WriteCodePoints(DeviceState& s, CalibrationSet& cal);
void WriteTemperaturePairs(DeviceState& s, CalibrationSet& cal);

// "Переслать в датчик" of a view of `list`: identifies the device and sends
// the list with the write of the device's form. A list of another form than
// the device's is refused with a message naming both, before any request.
void SendCalibration(DeviceState& s, CalibrationSet& cal, CalibrationList list, bool withExtraPoint);

// "Редактировать точку" on a code-point list: true when a point was accepted.
bool EditCalibrationPoint(DeviceState& s, CalibrationSet& cal, int index);

}  // namespace quillon
