#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "calibration/calibration_set.h"

namespace quillon {

// A calibration read from a device or a file may carry a NaN or an infinity.
// It is shown as it is ("NAN"), but never sent: a device would take it as its
// characteristic. Each gives the number (from 1) of the first entry holding
// one, or 0 when every single is finite.
std::size_t FirstNonFiniteSegment(const std::vector<CalibrationSegment>& table);
std::size_t FirstNonFiniteCodePoint(const std::vector<CodePoint>& points);
// Readings that are converter codes (bit for bit) are not singles and are not judged.
std::size_t FirstNonFinitePair(const std::vector<TemperaturePair>& pairs, bool readingsAreCodes);

// The refusal to send, naming the entry: `entry` is "точка 3" or "отрезок 2".
std::string NonFiniteSendRefusal(const std::string& entry);
// The refusal to save such a calibration in a text file (it would not load back).
std::string NonFiniteSaveRefusal(const std::string& entry);

}  // namespace quillon
