#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sim/device_profile.h"

namespace quillon::sim {

// The form a firmware family keeps its calibration in.
enum class SimCalibrationForm { Segments, CodePoints, TemperaturePairs };
SimCalibrationForm CalibrationFormOf(std::uint8_t softwareRevision);
const char* CalibrationFormName(SimCalibrationForm form);

// Points of the device's calibration as its firmware family counts them.
int SimCalibrationPointCount(const DeviceProfile& p);

// Gives a preset the factory calibration of its family: segments (with the
// extra point on the kind that keeps one), code points on both channels, or
// temperature pairs with the enable flag and the sensor id.
void GiveExampleCalibration(DeviceProfile& p);

// Code points, ascending, into the top slots of a channel; the lowest point
// carries the last-point flag.
void SetCodePoints(CalibrationStore& store, int channel, const std::vector<std::pair<std::uint32_t, float>>& points,
                   int slotCount);
// The extra point as parameter block 111 holds it: code and value least
// significant byte first, then the check byte.
void SetExtraPoint(DeviceProfile& p, std::uint16_t code, float value);
// Forgets every calibration (and the extra point): the device answers as a new one.
void ClearCalibration(DeviceProfile& p);

// One line per preset: its name, calibration form and number of points.
std::string CalibrationPresetTable();
// The calibration a device keeps, in a line for the console.
std::string DescribeCalibration(const DeviceProfile& p);

// Puts the calibration of a .clb file into the device's memory, converted to
// its form where that is possible. Empty on success, else the reason.
std::string LoadCalibrationFileIntoDevice(DeviceProfile& p, const std::string& path);

}  // namespace quillon::sim
