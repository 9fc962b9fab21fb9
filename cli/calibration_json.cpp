#include "cli/calibration_json.h"

#include "cli/json_values.h"

namespace quillon::cli {

using nlohmann::json;

json CalibrationJson(const CalibrationSet& set, CalibrationList form) {
    json points = json::array();
    const char* formName = "segments";
    switch (form) {
        case CalibrationList::Segments:
            for (const CalibrationSegment& p : set.segmentTable)
                points.push_back(
                    {{"start_code", p.startCode}, {"start_value", SingleJson(p.startValue)}, {"slope", SingleJson(p.slope)}});
            break;
        case CalibrationList::CodePoints:
            formName = "code_points";
            for (const CodePoint& p : set.codePoints)
                points.push_back({{"code", p.code}, {"value", SingleJson(p.value)}});
            break;
        case CalibrationList::TemperaturePairs:
            formName = "temperature_pairs";
            for (const TemperaturePair& p : set.temperaturePairs) {
                // Integer-code lists carry the code itself, which a script must read as an integer.
                const json reading = set.readingsAreCodes
                                         ? json(static_cast<long long>(PairReading(set, p)))
                                         : SingleJson(p.sensorReading);
                points.push_back({{"value", SingleJson(p.value)}, {"reading", reading}});
            }
            break;
    }
    json j{{"form", formName}, {"enabled", set.calibrationEnabled != 0}, {"points", points}};
    j["readings_are_codes"] = form == CalibrationList::TemperaturePairs && set.readingsAreCodes;
    j["sensor_id"] = set.calibrationHasSensorId
                         ? json(HexString(set.calibrationSensorId.data(), set.calibrationSensorId.size()))
                         : json(nullptr);
    j["extra_point"] = set.extraPoint.present
                           ? json{{"code", set.extraPoint.code}, {"value", SingleJson(set.extraPoint.value)}}
                           : json(nullptr);
    return j;
}

}  // namespace quillon::cli
