#include "calibration/calibration_form.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "calibration/calibration_file.h"
#include "calibration/finite_values.h"
#include "device/number_entry.h"
#include "device/variant.h"

namespace quillon {

namespace {

constexpr int kNoDeviceYet = 255;
constexpr std::uint32_t kMaxCode = 16777215;

constexpr const char* kTooFewPoints = "Калибровка должна содержать не менее двух точек!";
constexpr const char* kCodesNotAscending = "Коды АЦП точек калибровки должны возрастать и не повторяться!";

bool Finite(double v) { return std::isfinite(v); }

bool CodesAscending(const std::vector<CodePoint>& points) {
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        if (!(points[i].code < points[i + 1].code)) return false;
    return std::all_of(points.begin(), points.end(), [](const CodePoint& p) { return p.code <= kMaxCode; });
}

// The file keeps the list that is shown, whatever the device identified: it may be meant for
// another one. Only the form's own bound applies.
std::string TooManyForFile(std::size_t count) {
    return "Калибровка содержит " + std::to_string(count) + " точек, а файл калибровки может хранить не более " +
           std::to_string(kMaxIniPoints) + ". Запись в файл отменена!";
}

}  // namespace

std::optional<CalibrationList> DeviceCalibrationForm(const DeviceIdentity& id) {
    if (!id.identified || id.softwareRevision == kNoDeviceYet) return std::nullopt;
    if (isRev14or16(id)) return CalibrationList::TemperaturePairs;
    if (id.extendedCalibration) return CalibrationList::CodePoints;
    return CalibrationList::Segments;
}

CalibrationList FileKindForm(int kind) {
    switch (kind) {
        case kFileIniCodePoints: return CalibrationList::CodePoints;
        case kFileIniFloatPairs:
        case kFileIniCodePairs: return CalibrationList::TemperaturePairs;
        default: return CalibrationList::Segments;
    }
}

std::string CalibrationFormName(CalibrationList list) {
    switch (list) {
        case CalibrationList::Segments: return "отрезки характеристики";
        case CalibrationList::CodePoints: return "точки кода АЦП";
        case CalibrationList::TemperaturePairs: return "пары температур";
    }
    return {};
}

std::size_t SegmentRecordLimit(const DeviceIdentity& id) {
    if (id.softwareRevision == kNoDeviceYet) return kMaxSegmentRecords;
    return static_cast<std::size_t>(std::clamp(id.calibrationPointCount - 1, 1, static_cast<int>(kMaxSegmentRecords)));
}

std::string TooManyPointsForDevice(int slots, std::size_t points) {
    return "Максимальное количество точек калибровки в датчике " + std::to_string(slots) +
           ", а данная калибровка содержит " + std::to_string(points) + " точек!";
}

std::string CalibrationRefusal(const DeviceIdentity& id) {
    // Every calibration command is this maker's own: another maker's device would read them as its own commands.
    if (const auto foreign = RequireOwnMake(id)) return foreign->reason;
    if (isRev15(id))
        return "В данном устройстве используется многотемпературная калибровка. Используйте для калибровки "
               "программу Dravmont.exe !";
    if (!isNotRev10or13(id)) return kCalibrationNotSupported;
    return {};
}

bool HasNonFinite(const CalibrationSet& set, CalibrationList list) {
    switch (list) {
        case CalibrationList::Segments: return FirstNonFiniteSegment(set.segmentTable) != 0;
        case CalibrationList::CodePoints: {
            const auto& p = set.codePoints;
            if (FirstNonFiniteCodePoint(p) != 0) return true;
            for (std::size_t i = 0; i + 1 < p.size(); ++i) {
                const double span = static_cast<double>(p[i + 1].code) - static_cast<double>(p[i].code);
                // The device keeps the slope as a single: one beyond its range is an infinity there.
                if (!SingleFromDouble((static_cast<double>(p[i + 1].value) - p[i].value) / span)) return true;
            }
            return false;
        }
        case CalibrationList::TemperaturePairs: {
            const auto& p = set.temperaturePairs;
            for (std::size_t i = 0; i < p.size(); ++i) {
                if (!Finite(p[i].value) || !Finite(PairReading(set, p[i]))) return true;
                if (i + 1 < p.size()) {
                    const double slope = (static_cast<double>(p[i + 1].value) - p[i].value) /
                                         (PairReading(set, p[i + 1]) - PairReading(set, p[i]));
                    if (!Finite(slope)) return true;
                }
            }
            return false;
        }
    }
    return false;
}

std::string SaveProblem(const CalibrationSet& set, CalibrationList list, const DeviceIdentity& id) {
    const bool noDevice = id.softwareRevision == kNoDeviceYet;
    switch (list) {
        case CalibrationList::Segments: {
            const std::size_t n = set.segmentTable.size();
            if (n == 0) return "В калибровке нет ни одного отрезка. Запись в файл отменена!";
            const std::size_t limit = SegmentRecordLimit(id);
            // The file has no header: its length is all a load goes by.
            if (n > limit || (!noDevice && n != limit))
                return "Калибровка содержит " + std::to_string(n) +
                       " отрезков, а файл для этого датчика должен содержать " + std::to_string(limit) +
                       ". Запись в файл отменена!";
            return {};
        }
        case CalibrationList::CodePoints: {
            const auto& p = set.codePoints;
            if (p.size() < 2) return kTooFewPoints;
            if (!CodesAscending(p)) return kCodesNotAscending;
            if (p.size() > static_cast<std::size_t>(kMaxIniPoints)) return TooManyForFile(p.size());
            if (const std::size_t n = FirstNonFiniteCodePoint(p))
                return NonFiniteSaveRefusal("точка " + std::to_string(n));
            return {};
        }
        case CalibrationList::TemperaturePairs: {
            const auto& p = set.temperaturePairs;
            if (p.size() < 2) return kTooFewPoints;
            if (p.size() > static_cast<std::size_t>(kMaxIniPoints)) return TooManyForFile(p.size());
            if (const std::size_t n = FirstNonFinitePair(p, set.readingsAreCodes))
                return NonFiniteSaveRefusal("точка " + std::to_string(n));
            // A file of codes keeps them as whole numbers, and a negative one does not read back.
            if (set.readingsAreCodes && std::any_of(p.begin(), p.end(), [](const TemperaturePair& pair) {
                    return std::bit_cast<std::int32_t>(pair.sensorReading) < 0;
                }))
                return "Калибровка содержит отрицательный код АЦП. Запись в файл отменена!";
            return {};
        }
    }
    return {};
}

std::string SendProblem(const CalibrationSet& set, CalibrationList list) {
    switch (list) {
        case CalibrationList::Segments:
            if (set.segmentTable.empty()) return "В калибровке нет ни одного отрезка!";
            break;
        case CalibrationList::CodePoints:
            if (set.codePoints.size() < 2) return kTooFewPoints;
            if (!CodesAscending(set.codePoints)) return kCodesNotAscending;
            break;
        case CalibrationList::TemperaturePairs:
            if (set.temperaturePairs.size() < 2) return kTooFewPoints;
            break;
    }
    if (HasNonFinite(set, list))
        return "Калибровка содержит нечисловое значение или наклон (NAN или бесконечность) и не может быть "
               "переслана в датчик!";
    return {};
}

}  // namespace quillon
