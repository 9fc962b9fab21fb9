#include "sim/calibration_examples.h"

#include <algorithm>
#include <bit>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "calibration/calibration_file.h"
#include "calibration/calibration_set.h"
#include "device/parameter_access.h"

namespace quillon::sim {

namespace {

constexpr std::uint16_t kExtraPointBlock = 111;

bool In(int v, std::initializer_list<int> set) {
    for (int x : set)
        if (x == v) return true;
    return false;
}

void Segments(CalibrationStore& store, int pointCount) {
    store.segments.clear();
    // A platinum-like characteristic: about 0.0005 degrees per code unit,
    // slightly bent, from -50 degrees at code 0.
    float value = -50.0f;
    std::uint32_t code = 0;
    for (int i = 0; i + 1 < pointCount; ++i) {
        const float slope = 0.0005f - 0.00001f * static_cast<float>(i);
        store.segments.push_back({code, value, slope});
        value += slope * 100000.0f;
        code += 100000;
    }
}

std::vector<std::pair<std::uint32_t, float>> CodeLadder(int count, std::uint32_t first, float firstValue) {
    std::vector<std::pair<std::uint32_t, float>> points;
    for (int i = 0; i < count; ++i)
        points.emplace_back(first + static_cast<std::uint32_t>(i) * 500000u + static_cast<std::uint32_t>(i * i * 1000),
                            firstValue + 25.0f * static_cast<float>(i));
    return points;
}

SimTemperatureCalibration Pairs(int count, bool codes, std::optional<std::array<std::uint8_t, 8>> id) {
    SimTemperatureCalibration c;
    c.present = true;
    c.enabled = 1;
    c.sensorId = id;
    for (int i = 0; i < count; ++i) {
        const float reference = -40.0f + 10.0f * static_cast<float>(i);
        const float reading = codes ? 2000000.0f + 150000.0f * static_cast<float>(i) + 37.0f * static_cast<float>(i * i)
                                    : reference + 0.05f * static_cast<float>(i % 3) - 0.03f;
        c.pairs.push_back({reading, reference});
    }
    return c;
}

}  // namespace

SimCalibrationForm CalibrationFormOf(std::uint8_t s) {
    if (In(s, {10, 13, 14, 15, 16})) return SimCalibrationForm::TemperaturePairs;
    if (In(s, {6, 7, 8, 9, 11})) return SimCalibrationForm::CodePoints;
    return SimCalibrationForm::Segments;
}

const char* CalibrationFormName(SimCalibrationForm form) {
    switch (form) {
        case SimCalibrationForm::Segments: return "segments";
        case SimCalibrationForm::CodePoints: return "code points";
        case SimCalibrationForm::TemperaturePairs: return "temperature pairs";
    }
    return "";
}

int SimCalibrationPointCount(const DeviceProfile& p) {
    const int s = p.softwareRevision;
    if ((s == 14 && p.deviceRevision == 1) || s == 16) return 25;
    if (In(s, {8, 9, 11})) return 15;
    return 8;
}

void SetCodePoints(CalibrationStore& store, int channel, const std::vector<std::pair<std::uint32_t, float>>& points,
                   int slotCount) {
    auto& slots = store.codeSlots[static_cast<std::size_t>(channel & 1)];
    slots.clear();
    const int n = std::min<int>(static_cast<int>(points.size()), slotCount);
    // The highest point sits in the top slot, the next below it, and so on.
    for (int k = 0; k < n; ++k) {
        const auto& [code, value] = points[static_cast<std::size_t>(n - 1 - k)];
        slots[static_cast<std::uint8_t>(slotCount - 1 - k)] = SimCodePoint{code, value, k == n - 1};
    }
}

void SetExtraPoint(DeviceProfile& p, std::uint16_t code, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    std::uint8_t bytes[7] = {static_cast<std::uint8_t>(code),
                             static_cast<std::uint8_t>(code >> 8),
                             static_cast<std::uint8_t>(bits),
                             static_cast<std::uint8_t>(bits >> 8),
                             static_cast<std::uint8_t>(bits >> 16),
                             static_cast<std::uint8_t>(bits >> 24),
                             0};
    AppendXorCheck(bytes, 7);
    for (std::uint16_t i = 0; i < 7; ++i) p.parameterBlock[static_cast<std::uint16_t>(kExtraPointBlock + i)] = bytes[i];
}

void ClearCalibration(DeviceProfile& p) {
    p.calibration.segments.clear();
    for (auto& slots : p.calibration.codeSlots) slots.clear();
    for (auto& c : p.calibration.pairs) c = SimTemperatureCalibration{};
    for (std::uint16_t i = 0; i < 7; ++i) p.parameterBlock.erase(static_cast<std::uint16_t>(kExtraPointBlock + i));
}

void GiveExampleCalibration(DeviceProfile& p) {
    const int count = SimCalibrationPointCount(p);
    switch (CalibrationFormOf(p.softwareRevision)) {
        case SimCalibrationForm::Segments:
            Segments(p.calibration, count);
            if (p.softwareRevision == 3 && p.hardwareRevision == 1) SetExtraPoint(p, 61000, 260.5f);
            break;
        case SimCalibrationForm::CodePoints:
            SetCodePoints(p.calibration, 0, CodeLadder(count, 1200000, -50.0f), count);
            SetCodePoints(p.calibration, 1, CodeLadder(count, 1300000, -40.0f), count);
            break;
        case SimCalibrationForm::TemperaturePairs: {
            // Revision 14 and the converter channel of 16 read converter codes.
            const bool codes = p.softwareRevision == 14 || p.softwareRevision == 16;
            p.calibration.pairs[0] = Pairs(count, codes, std::nullopt);
            p.calibration.pairs[1] = Pairs(8, false, p.sensorId);
            break;
        }
    }
}

std::string CalibrationPresetTable() {
    std::string out;
    for (const std::string& name : PresetNames()) {
        const DeviceProfile p = Preset(name);
        std::string line = "  " + name;
        line.resize(std::max<std::size_t>(line.size() + 1, 15), ' ');
        if (!p.ownCommands) {
            out += line + "a device of another maker: universal commands only, no calibration\n";
            continue;
        }
        if (p.burstMode) line += "in burst mode; ";
        line += CalibrationFormName(CalibrationFormOf(p.softwareRevision));
        line += ", " + std::to_string(SimCalibrationPointCount(p)) + " points";
        if (CalibrationFormOf(p.softwareRevision) == SimCalibrationForm::CodePoints) line += " on both channels";
        if (p.softwareRevision == 3 && p.hardwareRevision == 1) line += " and an extra point";
        if (p.softwareRevision == 16) line += " (converter channel; 8 with sensor id on I2C)";
        if (p.softwareRevision == 13) line += " (command 81)";
        if (In(p.softwareRevision, {10, 13, 15})) line += "; the tool does not calibrate this family";
        out += line + "\n";
    }
    return out;
}

std::string DescribeCalibration(const DeviceProfile& p) {
    const CalibrationStore& c = p.calibration;
    std::string out = std::string("calibration: ") + CalibrationFormName(CalibrationFormOf(p.softwareRevision)) + "; ";
    out += std::to_string(c.segments.size()) + " segments, code points " + std::to_string(c.codeSlots[0].size()) + "/" +
           std::to_string(c.codeSlots[1].size()) + ", pairs ";
    for (int i = 0; i < 2; ++i) {
        const auto& pairs = c.pairs[static_cast<std::size_t>(i)];
        out += (i ? "/" : "") + (pairs.present ? std::to_string(pairs.pairs.size()) : std::string("none"));
    }
    return out;
}

std::string LoadCalibrationFileIntoDevice(DeviceProfile& p, const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return "not a readable file: " + path;
    const TIniFileVant ini(path, '.');
    const int kind = CalibrationFileKindOf(ini);
    const int count = SimCalibrationPointCount(p);
    const SimCalibrationForm form = CalibrationFormOf(p.softwareRevision);
    CalibrationSet set;
    if (kind == kFileBinarySegments) {
        const auto size = std::filesystem::file_size(path, ec);
        if (ec || size == 0 || size % kSegmentRecordSize != 0 || size > kMaxSegmentRecords * kSegmentRecordSize)
            return "not a calibration file (size)";
        std::ifstream in(path, std::ios::binary);
        std::string bytes(static_cast<std::size_t>(size), '\0');
        if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return "cannot read " + path;
        if (!DecodeSegmentRecords(bytes, set.segmentTable)) return "a record has a wrong check byte";
        PointsFromSegments(set);
    } else {
        const IniCalibration c = ReadIniCalibration(ini, kind, kMaxIniPoints);
        if (c.error) return "the file has a point without its value or out of range";
        if (kind == kFileIniCodePoints) {
            set.codePoints = c.codePoints;
            if (set.codePoints.size() < 2 || !SegmentsFromPoints(set, count)) return "fewer than two usable points";
        } else {
            if (form != SimCalibrationForm::TemperaturePairs) return "temperature pairs need a temperature-pair device";
            if (c.temperaturePairs.size() < 2) return "fewer than two points";
            const bool i2c = p.softwareRevision == 13 || (p.softwareRevision == 16 && c.sensorId.has_value());
            SimTemperatureCalibration& target = p.calibration.pairs[i2c ? 1 : 0];
            target = SimTemperatureCalibration{};
            target.present = true;
            target.enabled = c.enabled;
            target.sensorId = c.sensorId;
            for (const auto& pair : c.temperaturePairs) target.pairs.push_back({pair.sensorReading, pair.value});
            return {};
        }
    }
    switch (form) {
        case SimCalibrationForm::Segments:
            p.calibration.segments.clear();
            for (const auto& s : set.segmentTable)
                p.calibration.segments.push_back({s.startCode, s.startValue, s.slope});
            return {};
        case SimCalibrationForm::CodePoints: {
            std::vector<std::pair<std::uint32_t, float>> points;
            for (const auto& cp : set.codePoints) points.emplace_back(cp.code & 0xFFFFFF, cp.value);
            if (static_cast<int>(points.size()) > count) return "more points than the device keeps";
            SetCodePoints(p.calibration, 0, points, count);
            return {};
        }
        case SimCalibrationForm::TemperaturePairs: return "segments and code points need a device of that form";
    }
    return {};
}

}  // namespace quillon::sim
