#include "calibration/calibration_point_entry.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <system_error>

#include "device/number_entry.h"
#include "device/variant.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr long long kMaxCode = 16777215;

std::optional<long long> ParseCodeText(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string DirectionText(bool rising) {
    return rising ? "Большему значению величины должно соответствовать большее значение кода АЦП !"
                  : "Большему значению величины должно соответствовать меньшее значение кода АЦП !";
}

// Pairs: rising when the first two points have their readings in the order of
// their values (equal values count as rising when the first reading is not the smaller).
bool PairsRising(const CalibrationSet& set) {
    const auto& p = set.temperaturePairs;
    const double r0 = PairReading(set, p[0]), r1 = PairReading(set, p[1]);
    if (p[0].value == p[1].value) return r0 >= r1;
    return (p[0].value < p[1].value) == (r0 < r1);
}

bool PairFits(const CalibrationSet& set, const TemperaturePair& added, bool rising) {
    std::vector<TemperaturePair> list = set.temperaturePairs;
    list.push_back(added);
    SortPairsByValue(list);
    for (std::size_t i = 0; i + 1 < list.size(); ++i) {
        if (!(list[i].value < list[i + 1].value)) return false;
        const double a = PairReading(set, list[i]), b = PairReading(set, list[i + 1]);
        if (rising ? !(a < b) : !(a > b)) return false;
    }
    return true;
}

bool CodePointFits(const std::vector<CodePoint>& points, std::uint32_t code, double value, bool rising) {
    for (const CodePoint& p : points) {
        if (p.code == code) return false;
        const bool above = p.code < code;  // the new point lies above this one
        if (above == rising ? !(value > p.value) : !(value < p.value)) return false;
    }
    return true;
}

// The second point has no direction to keep yet, but it must still differ
// from the first: two points at one code or one reference have no slope.
const char* SecondPairProblem(const CalibrationSet& set, const TemperaturePair& added) {
    const TemperaturePair& first = set.temperaturePairs.front();
    if (added.value == first.value) return "Значение этой точки совпадает со значением уже введённой точки!";
    if (PairReading(set, added) == PairReading(set, first))
        return "Показание датчика в этой точке совпадает с показанием в уже введённой точке!";
    return nullptr;
}

constexpr const char* kSameCode = "Код АЦП этой точки совпадает с кодом уже введённой точки!";

}  // namespace

int EnterCalibrationPoint(DeviceState& s, CalibrationSet& cal, const std::string& first, const std::string& second, bool editMode) {
    const PointTarget target = hasTemperatureReadings(s.identity, cal.calibrationFileKind)
                                   ? PointTarget::TemperaturePairs
                                   : PointTarget::CodePoints;
    return EnterCalibrationPointInto(s, cal, first, second, editMode, target);
}

int EnterCalibrationPointInto(DeviceState& s, CalibrationSet& cal, const std::string& first, const std::string& second, bool editMode,
                              PointTarget target) {
    CalibrationSet& set = cal;
    const bool floatReading = hasTemperatureReadings(s.identity, set.calibrationFileKind);
    CalibrationPointDialog dialog;
    dialog.adText = first;
    dialog.valueText = second;
    dialog.editMode = editMode;
    dialog.voltsVisible = s.identity.softwareRevision == 7;
    for (;;) {
        dialog.result = CalibrationPointDialog::kContinue;
        if (!s.ui.show(dialog)) return kPointContinue;
        if (dialog.result == CalibrationPointDialog::kStop && !editMode) return kPointStop;
        if (dialog.result != CalibrationPointDialog::kOk) return kPointContinue;

        dialog.adText = NormaliseDecimalSeparators(dialog.adText, s.decimalSeparator);
        dialog.valueText = NormaliseDecimalSeparators(dialog.valueText, s.decimalSeparator);
        double reading = 0;
        if (floatReading) {
            const auto v = ParseSingleText(dialog.adText, s.decimalSeparator);
            if (!v) {
                ErrorBox(s, "Введены неправильные цифры!");
                ErrorBox(s, NotSingleText(dialog.adText, s.decimalSeparator));
                continue;
            }
            reading = *v;
        } else {
            const auto v = ParseCodeText(dialog.adText);
            if (!v) {
                ErrorBox(s, "Введены неправильные цифры!");
                ErrorBox(s, "«" + dialog.adText + "» не является целым числом.");
                continue;
            }
            if (*v < 0 || *v > kMaxCode) {
                ErrorBox(s, "Код АЦП должен быть в диапазоне [0-16777215]!");
                continue;
            }
            reading = static_cast<double>(*v);
        }
        const auto value = ParseSingleText(dialog.valueText, s.decimalSeparator);
        if (!value) {
            ErrorBox(s, "Введены неправильные цифры!");
            ErrorBox(s, NotSingleText(dialog.valueText, s.decimalSeparator));
            continue;
        }
        if (target == PointTarget::TemperaturePairs) {
            const TemperaturePair added{*value, PairReadingBits(set, reading)};
            if (set.temperaturePairs.size() >= 2) {
                const bool rising = PairsRising(set);
                if (!PairFits(set, added, rising)) {
                    ErrorBox(s, DirectionText(rising));
                    continue;
                }
            } else if (set.temperaturePairs.size() == 1) {
                if (const char* problem = SecondPairProblem(set, added)) {
                    ErrorBox(s, problem);
                    continue;
                }
            }
            set.temperaturePairs.push_back(added);
            SortPairsByValue(set.temperaturePairs);
        } else {
            const auto code = static_cast<std::uint32_t>(std::clamp(reading, 0.0, static_cast<double>(kMaxCode)));
            if (set.codePoints.size() >= 2) {
                const bool rising = set.codePoints[0].value < set.codePoints[1].value;
                if (!CodePointFits(set.codePoints, code, *value, rising)) {
                    ErrorBox(s, DirectionText(rising));
                    continue;
                }
            } else if (set.codePoints.size() == 1 && set.codePoints.front().code == code) {
                ErrorBox(s, kSameCode);
                continue;
            }
            set.codePoints.push_back({code, *value, 0.0f});
            SortPointsByCode(set.codePoints);
        }
        return kPointAccepted;
    }
}

}  // namespace quillon
