#pragma once

#include "calibration/calibration_write_op.h"
#include "link/report.h"
#include "link/user_interface.h"

namespace quillon {

// The boxes of a calibration write, made from its outcome and its steps. The
// texts of success come only from a write that is done.
Report CalibrationWriteReport(const CalibrationWriteResult& r);

// The windows' answers to the questions of a calibration write.
// Segments and code points: the lock question of the calibration firmware (error box, Yes/No).
AskRepeatOnLock AskCalibrationLockQuestion(UserInterface& ui);
// Temperature pairs: code 7 asks about the button, other codes whether to repeat (warning, Yes/No).
AskRepeatOnLock AskPairsRepeatQuestion(UserInterface& ui);
// The other questions as the windows put them; the I2C sensor string is
// written by `writeI2cSensorString` (the windows' own dialog flow).
CalibrationWriteQuestions WindowsWriteQuestions(UserInterface& ui, char separator,
                                                std::function<bool()> writeI2cSensorString);

}  // namespace quillon
