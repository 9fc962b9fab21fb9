#include "calibration/calibration_set.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "device/number_entry.h"

namespace quillon {

namespace {

// Extreme points can extrapolate past the single range. The table then holds an infinity, which
// every send and save refuses; a bare cast of such a double is not defined by the language.
float SingleOrInfinity(double value) {
    if (const std::optional<float> single = SingleFromDouble(value)) return *single;
    if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
    return value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
}

}  // namespace

bool SegmentsFromPoints(CalibrationSet& set, int pointCount) {
    std::vector<CodePoint>& points = set.codePoints;
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        if (points[i + 1].code == points[i].code) return false;

    std::vector<CalibrationSegment> table;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        // The code difference is taken as an unsigned 32-bit number, as the
        // devices and older files have always had it.
        const std::uint32_t codeSpan = points[i + 1].code - points[i].code;
        const float slope = SingleOrInfinity((static_cast<double>(points[i + 1].value) - points[i].value) /
                                             static_cast<double>(static_cast<float>(codeSpan)));
        points[i].slope = slope;
        if (i == 0) {
            const double start = static_cast<double>(points[0].value) - static_cast<double>(points[0].code) * slope;
            table.push_back({0, SingleOrInfinity(start), slope});
        } else {
            table.push_back({points[i].code, points[i].value, slope});
        }
    }
    while (!table.empty() && static_cast<int>(table.size()) < pointCount - 1) table.push_back(table.back());
    set.segmentTable = std::move(table);
    return true;
}

bool PointsFromSegments(CalibrationSet& set) {
    if (set.segmentTable.empty()) return false;
    const CalibrationSegment& last = set.segmentTable.back();
    const double code = std::trunc(10.0 / static_cast<double>(last.slope) + static_cast<double>(last.startCode));
    if (!std::isfinite(code) || code < 0.0 || code > 4294967295.0) return false;

    std::vector<CodePoint> points;
    points.reserve(set.segmentTable.size() + 1);
    for (const CalibrationSegment& s : set.segmentTable) points.push_back({s.startCode, s.startValue, s.slope});
    points.push_back({static_cast<std::uint32_t>(code), SingleOrInfinity(last.startValue + 10.0), last.slope});
    set.codePoints = std::move(points);
    return true;
}

double PairReading(const CalibrationSet& set, const TemperaturePair& pair) {
    if (set.readingsAreCodes) return static_cast<double>(std::bit_cast<std::int32_t>(pair.sensorReading));
    return pair.sensorReading;
}

float PairReadingBits(const CalibrationSet& set, double reading) {
    if (set.readingsAreCodes) {
        const double code = std::isfinite(reading) ? std::clamp(std::trunc(reading), -2147483648.0, 2147483647.0) : 0.0;
        return std::bit_cast<float>(static_cast<std::int32_t>(code));
    }
    return static_cast<float>(reading);
}

void SortPairsByValue(std::vector<TemperaturePair>& pairs) {
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const TemperaturePair& a, const TemperaturePair& b) { return a.value < b.value; });
}

void SortPointsByCode(std::vector<CodePoint>& points) {
    std::stable_sort(points.begin(), points.end(),
                     [](const CodePoint& a, const CodePoint& b) { return a.code < b.code; });
}

std::uint8_t IdCrc8(const std::uint8_t* bytes, std::size_t n) {
    std::uint8_t crc = 0;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint8_t>((crc & 0x80) ? (crc << 1) ^ 0x31 : crc << 1);
    }
    return crc;
}

}  // namespace quillon
