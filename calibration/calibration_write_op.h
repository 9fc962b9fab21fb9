#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "calibration/calibration_form.h"
#include "calibration/calibration_set.h"
#include "device/device_state.h"
#include "link/outcome.h"

namespace quillon {

// The questions a calibration write puts to the engineer in the middle of its
// work, besides the write lock. A question left empty gets the answer a script
// needs: give up, never repeat, never clear what the engineer has not seen.
struct CalibrationWriteQuestions {
    // The engineer stopped an exchange ("Отменить запись калибровки?"): true
    // gives the write up, false sends the same request again. Empty: gives up.
    std::function<bool()> giveUpAfterStop;
    // Temperature pairs: the device answered with another code than the write
    // lock, or with an answer of the wrong length (responseCode
    // kNoResponseCode): true sends the same request again. Empty: no repeat.
    std::function<bool(const Outcome& refusal)> repeatAfterError;
    // The device holds an extra point that the write would clear: true clears
    // it; otherwise nothing is written. Empty: nothing is written.
    std::function<bool(const ExtraPoint& held)> clearExtraPoint;
    // The sensor id of a temperature-pair calibration did not go through
    // ("Отменить запись ID сенсора?"): true leaves it, false sends it again. Empty: leaves it.
    std::function<bool()> skipSensorIdAfterStop;
    // Channel 1 of a device that keeps its I2C sensor's id string: writes the
    // string before the points; false stops the write. Empty: the write stops.
    std::function<bool()> writeI2cSensorString;
    // The write lock of the value-correction settings reset after the points.
    // Empty: the calibration's own `askRepeat` answers.
    AskRepeatOnLock repeatSettingOnLock;
};

// What each step of a calibration write came to, for its report. The
// write's own outcome says how far it got; the steps after the points run on
// after one of them fails, as engineers expect, and each has its own words.
struct CalibrationWriteSteps {
    CalibrationList form = CalibrationList::Segments;
    std::optional<Outcome> points;  // the table, the points, or the pairs with their header
    // Segment devices of hardware 1: block 111.
    std::optional<Outcome> extraPoint;
    // Revision 4: the device's re-check of the table (Refused: not accepted).
    std::optional<Outcome> confirmation;
    // Temperature pairs: the id of the sensor the calibration was made for.
    std::optional<Outcome> sensorId;
    // The value-correction reset; `correctionSetting` is the setting that failed.
    std::optional<Outcome> correctionReset;
    std::uint8_t correctionSetting = 0;
    // Setting 23: Done = the device accepts the calibration written.
    std::optional<Outcome> validity;
    // Temperature pairs sent in one request: there is no re-check to ask for.
    bool inOneRequest = false;
};

using CalibrationWriteResult = Result<CalibrationWriteSteps>;
// `value` of a calibration write is meaningful whatever its outcome: it says
// which steps ran and how each ended.

// Segment form (command 115, then block 111 on hardware-1 devices and the
// re-check on revision 4). `withExtraPoint`: block 111 takes the last code
// point (a new calibration); otherwise the set's own extra point, or none.
CalibrationWriteResult WriteCalibrationSegments(DeviceState& s, const CalibrationSet& cal, bool withExtraPoint,
                                                const AskRepeatOnLock& askRepeat,
                                                const CalibrationWriteQuestions& questions);

// Code-point form (command 115, highest code first, into the channel
// `s.identity.selectedChannel`), then the correction reset and the check.
CalibrationWriteResult WriteCalibrationCodePoints(DeviceState& s, const CalibrationSet& cal,
                                                  const AskRepeatOnLock& askRepeat,
                                                  const CalibrationWriteQuestions& questions);

// Temperature-pair form (command 182 or 82), the sensor id, the correction
// reset and the check. The caller has read the connected sensor id first
// (`readSensorId`): the guards compare it with the calibration's.
CalibrationWriteResult WriteCalibrationPairs(DeviceState& s, const CalibrationSet& cal,
                                             const AskRepeatOnLock& askRepeat,
                                             const CalibrationWriteQuestions& questions);

// `list` in the form of the identified device: refused before any request
// when the device keeps another form, or the list cannot be sent.
CalibrationWriteResult WriteCalibration(DeviceState& s, const CalibrationSet& cal, CalibrationList list,
                                        bool withExtraPoint, const AskRepeatOnLock& askRepeat,
                                        const CalibrationWriteQuestions& questions);

// A list holding a NaN or an infinity (or, with `withExtraPoint`, a last code
// point that does): refused before any request, naming the entry.
std::optional<Outcome> NonFiniteRefusal(const CalibrationSet& cal, CalibrationList list, bool withExtraPoint);

// The single a device gets for the reading of a pair: a list of integer codes
// sends each as the single of its value. Nothing when a code has no exact single.
std::optional<float> PairReadingOnTheWire(const CalibrationSet& cal, const TemperaturePair& pair);

// Offset 0.0 and factor 1.0 (settings 15 and 16, or 34 and 35 on the I2C
// channel); Done at once on devices without a value correction. `failed`
// gets the setting that did not go through.
Outcome ResetValueCorrectionOp(DeviceState& s, const AskRepeatOnLock& askRepeat, std::uint8_t* failed = nullptr);

// Setting 23: Done when the device accepts its calibration; Refused when it
// answers that it is not calibrated.
Outcome CheckCalibrationValidity(DeviceState& s);

// The reason of the write refused because the I2C sensor's id string was not written.
inline constexpr const char* kI2cStringNotWritten = "ID сенсора на I2C не записан. Калибровка не записана!";

}  // namespace quillon
