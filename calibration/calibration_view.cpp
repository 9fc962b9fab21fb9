#include "calibration/calibration_view.h"

#include <bit>
#include <cstdint>
#include <cstdio>

#include "calibration/calibration_point_entry.h"
#include "calibration/text_columns.h"
#include "device/number_entry.h"

namespace quillon {

namespace {

constexpr std::size_t kFirstColumnEnd = 20;
constexpr std::size_t kSecondColumnEnd = 40;

std::string Columns(const std::string& first, const std::string& second) {
    return PadOrCut(PadOrCut(first, kFirstColumnEnd) + second, kSecondColumnEnd);
}

std::string SlopeText(double slope, char sep) { return " Наклон : " + FormatDecimals(slope, 8, sep); }

std::string CodeColumn(std::size_t n, std::uint32_t code) {
    return std::to_string(n) + ") Код: " + std::to_string(code);
}

std::vector<std::string> SegmentLines(const CalibrationSet& set, char sep) {
    std::vector<std::string> lines;
    const auto& table = set.segmentTable;
    // The table is padded with copies of its last entry; they are not shown.
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (i > 0 && table[i].startCode == table[i - 1].startCode) break;
        lines.push_back(
            Columns(CodeColumn(i + 1, table[i].startCode), "Тем-ра : " + FormatGeneral(table[i].startValue, 7, sep)) +
            SlopeText(table[i].slope, sep));
    }
    if (set.extraPoint.present)
        lines.push_back(Columns(CodeColumn(lines.size() + 1, set.extraPoint.code),
                                "Тем-ра : " + FormatGeneral(set.extraPoint.value, 7, sep)));
    return lines;
}

std::vector<std::string> CodePointLines(const CalibrationSet& set, const DeviceIdentity& id, char sep) {
    std::vector<std::string> lines;
    const auto& points = set.codePoints;
    const std::string label = id.softwareRevision == 7 ? "Напряжение : " : "Тем-ра : ";
    for (std::size_t i = 0; i < points.size(); ++i) {
        std::string line = Columns(CodeColumn(i + 1, points[i].code), label + FormatGeneral(points[i].value, 7, sep));
        if (i + 1 < points.size()) line += SlopeText(points[i].slope, sep);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::string> PairLines(const CalibrationSet& set, char sep) {
    std::vector<std::string> lines;
    const auto& pairs = set.temperaturePairs;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%.2d", static_cast<int>(i + 1));
        const double reading = PairReading(set, pairs[i]);
        // Codes are whole numbers: decimals would suggest a precision they do not have.
        const std::string readingText =
            set.readingsAreCodes ? std::to_string(std::bit_cast<std::int32_t>(pairs[i].sensorReading))
                                 : FormatDecimals(reading, 4, sep);
        std::string line = Columns(std::string(number) + ") Tдатч: " + readingText,
                                   " Тем-ра : " + FormatDecimals(pairs[i].value, 6, sep));
        if (i + 1 < pairs.size()) {
            const double slope =
                (static_cast<double>(pairs[i + 1].value) - pairs[i].value) / (PairReading(set, pairs[i + 1]) - reading);
            line += SlopeText(slope, sep);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace

std::vector<std::string> CalibrationViewLines(const CalibrationSet& set, CalibrationList list, const DeviceIdentity& id,
                                              char separator) {
    switch (list) {
        case CalibrationList::Segments: return SegmentLines(set, separator);
        case CalibrationList::CodePoints: return CodePointLines(set, id, separator);
        case CalibrationList::TemperaturePairs: return PairLines(set, separator);
    }
    return {};
}

CalibrationChart CalibrationViewChart(const CalibrationSet& set, CalibrationList list) {
    CalibrationChart chart;
    switch (list) {
        case CalibrationList::Segments: {
            const auto& table = set.segmentTable;
            for (std::size_t i = 0; i < table.size(); ++i) {
                if (i > 0 && table[i].startCode == table[i - 1].startCode) break;
                chart.points.emplace_back(table[i].startCode, table[i].startValue);
            }
            if (set.extraPoint.present) {
                chart.extraPoint.emplace(set.extraPoint.code, set.extraPoint.value);
                chart.extraPointName = "Добавочная точка";
            }
            chart.xTitle = "Код АЦП";
            chart.yTitle = "Значение";
            break;
        }
        case CalibrationList::CodePoints:
            for (const CodePoint& p : set.codePoints) chart.points.emplace_back(p.code, p.value);
            chart.xTitle = "Код АЦП";
            chart.yTitle = "Значение";
            break;
        case CalibrationList::TemperaturePairs:
            for (const TemperaturePair& p : set.temperaturePairs)
                chart.points.emplace_back(p.value, PairReading(set, p));
            chart.xTitle = "Тем-ра";
            chart.yTitle = "Tдатч";
            break;
    }
    return chart;
}

namespace {

// Replaces the selected pair by the one the engineer types; the old list
// comes back when the edit is not accepted.
bool EditTemperaturePair(DeviceState& s, CalibrationSet& cal, std::size_t index) {
    CalibrationSet& set = cal;
    const std::vector<TemperaturePair> kept = set.temperaturePairs;
    const TemperaturePair pair = kept[index];
    set.temperaturePairs.erase(set.temperaturePairs.begin() + static_cast<std::ptrdiff_t>(index));
    const int r = EnterCalibrationPointInto(s, cal, FormatDecimals(PairReading(set, pair), 1, s.decimalSeparator),
                                            FormatDecimals(pair.value, 6, s.decimalSeparator), true,
                                            PointTarget::TemperaturePairs);
    if (r == kPointAccepted) return true;
    set.temperaturePairs = kept;
    return false;
}

}  // namespace

ViewChoice ShowCalibration(DeviceState& s, CalibrationSet& cal, CalibrationList list, bool saveAllowed, bool sendAllowed) {
    const bool pairs = list == CalibrationList::TemperaturePairs;
    bool saveEnabled = saveAllowed;
    bool edited = false;
    for (;;) {
        const bool sendEnabled = sendAllowed && !HasNonFinite(cal, list);
        ShowCalibrationDialog dialog;
        dialog.lines = CalibrationViewLines(cal, list, s.identity, s.decimalSeparator);
        dialog.chart = CalibrationViewChart(cal, list);
        dialog.saveEnabled = saveEnabled;
        dialog.sendEnabled = sendEnabled;
        dialog.enabledBoxVisible = pairs;
        dialog.enabledBoxEnabled = pairs && sendAllowed;
        dialog.enabledBoxChecked = cal.calibrationEnabled != 0;
        const bool shown = s.ui.show(dialog);
        if (shown && dialog.enabledBoxEnabled) cal.calibrationEnabled = dialog.enabledBoxChecked ? 1 : 0;
        ViewChoice choice{shown ? dialog.result : kViewExit, dialog.selected, edited};
        // A disabled button cannot have been pressed; a form that says so is not believed.
        if ((choice.action == kViewSave && !saveEnabled) || (choice.action == kViewSend && !sendEnabled))
            choice.action = kViewExit;
        if (choice.action == kViewEdit && pairs) {
            if (choice.selected >= 0 &&
                static_cast<std::size_t>(choice.selected) < cal.temperaturePairs.size())
                if (EditTemperaturePair(s, cal, static_cast<std::size_t>(choice.selected))) saveEnabled = edited = true;
            continue;
        }
        if (choice.action != kViewSave && choice.action != kViewSend && choice.action != kViewEdit)
            choice.action = kViewExit;
        return choice;
    }
}

}  // namespace quillon
