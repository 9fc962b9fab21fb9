#pragma once

#include <optional>
#include <string>

#include "calibration/calibration_set.h"
#include "device/device_identity.h"

namespace quillon {

// The three forms a calibration is kept in; each view shows one of these lists.
enum class CalibrationList { Segments, CodePoints, TemperaturePairs };

// The form the identified device keeps its calibration in; none before identification.
std::optional<CalibrationList> DeviceCalibrationForm(const DeviceIdentity& id);

// The form of a calibration file of the given kind (`calibrationFileKind`).
CalibrationList FileKindForm(int kind);

// The form's name in the tool's messages.
std::string CalibrationFormName(CalibrationList list);

// How many segment records a binary file holds for this device (the most a
// file may hold when none is identified).
std::size_t SegmentRecordLimit(const DeviceIdentity& id);

// Devices this tool cannot calibrate (another maker's, or a firmware whose calibration
// is not this tool's), with the reason shown; empty when it can.
std::string CalibrationRefusal(const DeviceIdentity& id);

// The device keeps at most `slots` points; said when a list has more, at its load and at its send.
std::string TooManyPointsForDevice(int slots, std::size_t points);

// True when a number the list carries, or a slope between its neighbours, is
// not finite: such a table would reach a device as garbage.
bool HasNonFinite(const CalibrationSet& set, CalibrationList list);

// Why the list cannot be written to a file that loads back equal on this
// device; empty when it can.
std::string SaveProblem(const CalibrationSet& set, CalibrationList list, const DeviceIdentity& id);

// Why the list cannot be sent to a device as a calibration (too few points,
// codes not ascending, a number or slope that is not finite); empty when it can.
std::string SendProblem(const CalibrationSet& set, CalibrationList list);

}  // namespace quillon
