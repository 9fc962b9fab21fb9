#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon {

// One linear piece of a segment-form characteristic.
struct CalibrationSegment {
    std::uint32_t startCode = 0;  // 24-bit converter code where the piece begins
    float startValue = 0.0f;      // value at startCode
    float slope = 0.0f;           // value per code unit
};

// A code-point-form point; the slope to the next point is derived, never stored on a device.
struct CodePoint {
    std::uint32_t code = 0;  // 0..16777215
    float value = 0.0f;
    float slope = 0.0f;
};

// A temperature-pair-form point: the reference and the transmitter's own
// reading there. Lists read from an integer-code file carry the code's 32 bits
// in `sensorReading` (see `CalibrationSet::readingsAreCodes`).
struct TemperaturePair {
    float value = 0.0f;
    float sensorReading = 0.0f;
};

// Parameter block where a segment-form device of one hardware kind keeps
// the point beside its table.
inline constexpr std::uint16_t kExtraPointBlock = 111;

// The refusal of the devices whose calibration this tool does not handle.
inline constexpr const char* kCalibrationNotSupported = "В данном устройстве функция калибровки не поддерживается!";

// The point a segment-form device of one hardware kind keeps beside its table.
struct ExtraPoint {
    bool present = false;
    std::uint16_t code = 0;
    float value = 0.0f;
};

// The one calibration the tool holds in memory, in the form of the device (or
// file) it came from.
struct CalibrationSet {
    std::vector<CalibrationSegment> segmentTable;
    std::vector<CodePoint> codePoints;
    std::vector<TemperaturePair> temperaturePairs;
    std::uint8_t calibrationEnabled = 0;
    std::array<std::uint8_t, 8> calibrationSensorId{};
    bool calibrationHasSensorId = false;
    ExtraPoint extraPoint;
    // Kind of the calibration file loaded last: 0 binary segments, 1 INI code
    // points, 2 INI temperature pairs with float readings, 3 with integer codes.
    int calibrationFileKind = 0;
    // The temperature pairs carry integer converter codes (bit for bit) rather
    // than float readings: true only for a list loaded from an integer-code file.
    bool readingsAreCodes = false;

    void clearLists() {
        segmentTable.clear();
        codePoints.clear();
        temperaturePairs.clear();
        readingsAreCodes = false;
    }
};

// Rebuilds `segmentTable` from `codePoints` (ascending codes) and stores each
// point's slope to the next: the first segment starts at code 0, and the table
// is padded to `pointCount` - 1 entries with copies of its last entry. False,
// with nothing changed, when two neighbouring codes are equal (no slope exists).
bool SegmentsFromPoints(CalibrationSet& set, int pointCount);

// Rebuilds `codePoints` from `segmentTable`: one point per segment, then one
// more 10 value units beyond the last segment. False, with nothing changed,
// when the table is empty or that last point cannot be placed (a flat or
// non-finite last slope, or a code outside 32 bits).
bool PointsFromSegments(CalibrationSet& set);

// The reading of a pair as a number, whichever way the list carries it.
double PairReading(const CalibrationSet& set, const TemperaturePair& pair);
// Stores `reading` in the way the list carries readings.
float PairReadingBits(const CalibrationSet& set, double reading);

// Orders the pairs by reference value, smaller first (stable).
void SortPairsByValue(std::vector<TemperaturePair>& pairs);
// Orders the points by code, smaller first (stable).
void SortPointsByCode(std::vector<CodePoint>& points);

// CRC-8 of a sensor id: polynomial 0x31, initial 0, most significant bit first, no final XOR.
std::uint8_t IdCrc8(const std::uint8_t* bytes, std::size_t n);

}  // namespace quillon
