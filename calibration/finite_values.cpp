#include "calibration/finite_values.h"

#include <cmath>

namespace quillon {

namespace {

template <typename List, typename Finite>
std::size_t FirstNot(const List& list, Finite finite) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (!finite(list[i])) return i + 1;
    return 0;
}

}  // namespace

std::size_t FirstNonFiniteSegment(const std::vector<CalibrationSegment>& table) {
    return FirstNot(table, [](const CalibrationSegment& s) { return std::isfinite(s.startValue) && std::isfinite(s.slope); });
}

std::size_t FirstNonFiniteCodePoint(const std::vector<CodePoint>& points) {
    return FirstNot(points, [](const CodePoint& p) { return std::isfinite(p.value); });
}

std::size_t FirstNonFinitePair(const std::vector<TemperaturePair>& pairs, bool readingsAreCodes) {
    return FirstNot(pairs, [readingsAreCodes](const TemperaturePair& p) {
        return std::isfinite(p.value) && (readingsAreCodes || std::isfinite(p.sensorReading));
    });
}

std::string NonFiniteSendRefusal(const std::string& entry) {
    return "В калибровке есть значение, которое не является числом (NAN): " + entry +
           ". Такую калибровку нельзя переслать в датчик!";
}

std::string NonFiniteSaveRefusal(const std::string& entry) {
    return "В калибровке есть значение, которое не является числом (NAN): " + entry +
           ". Такую калибровку нельзя записать в файл!";
}

}  // namespace quillon
