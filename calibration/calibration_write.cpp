#include "calibration/calibration_write.h"

#include <vector>

#include "calibration/calibration_point_entry.h"
#include "calibration/calibration_write_op.h"
#include "calibration/calibration_write_report.h"
#include "device/identification.h"
#include "device/measuring_channel.h"
#include "device/number_entry.h"
#include "device/sensor_id.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

void Present(DeviceState& s, const CalibrationWriteResult& r) { ShowReport(s.ui, CalibrationWriteReport(r)); }

// A table that no device should get is refused before the line is touched.
bool Sendable(DeviceState& s, const CalibrationSet& cal, CalibrationList list, bool withExtraPoint) {
    const auto refusal = NonFiniteRefusal(cal, list, withExtraPoint);
    if (refusal) ErrorBox(s, refusal->reason);
    return !refusal;
}

CalibrationWriteQuestions Questions(DeviceState& s) {
    return WindowsWriteQuestions(s.ui, s.decimalSeparator, [&s] { return writeSensorIdString(s); });
}

}  // namespace

void SendCalibration(DeviceState& s, CalibrationSet& cal, CalibrationList list, bool withExtraPoint) {
    if (!ensureIdentified(s)) return;
    const DeviceIdentity& id = s.identity;
    if (const std::string refusal = CalibrationRefusal(id); !refusal.empty()) {
        InfoBox(s, refusal);
        return;
    }
    const auto form = DeviceCalibrationForm(id);
    if (!form) return;
    if (*form != list) {
        ErrorBox(s, "Калибровка в форме «" + CalibrationFormName(list) +
                        "» не может быть записана в датчик, который хранит калибровку в форме «" +
                        CalibrationFormName(*form) + "». Калибровка не записана!");
        return;
    }
    // Refused here, before the channel or the sensor id is asked for; each
    // write checks again for its other callers.
    if (const std::string problem = SendProblem(cal, list); !problem.empty()) {
        ErrorBox(s, problem);
        return;
    }
    switch (list) {
        case CalibrationList::Segments: WriteSegments(s, cal, withExtraPoint); break;
        case CalibrationList::CodePoints: WriteCodePoints(s, cal); break;
        case CalibrationList::TemperaturePairs: WriteTemperaturePairs(s, cal); break;
    }
}

void WriteSegments(DeviceState& s, CalibrationSet& cal, bool withExtraPoint) {
    if (!Sendable(s, cal, CalibrationList::Segments, withExtraPoint) || !ensureIdentified(s)) return;
    Present(s, WriteCalibrationSegments(s, cal, withExtraPoint, AskCalibrationLockQuestion(s.ui), Questions(s)));
}

void WriteCodePoints(DeviceState& s, CalibrationSet& cal) {
    if (!Sendable(s, cal, CalibrationList::CodePoints, false) || !ensureIdentified(s) || !AskMeasuringChannel(s))
        return;
    Present(s, WriteCalibrationCodePoints(s, cal, AskCalibrationLockQuestion(s.ui), Questions(s)));
}

void WriteTemperaturePairs(DeviceState& s, CalibrationSet& cal) {
    if (!Sendable(s, cal, CalibrationList::TemperaturePairs, false) || !ensureIdentified(s) ||
        !AskMeasuringChannel(s) || !readSensorId(s))
        return;
    Present(s, WriteCalibrationPairs(s, cal, AskPairsRepeatQuestion(s.ui), Questions(s)));
}

bool EditCalibrationPoint(DeviceState& s, CalibrationSet& cal, int index) {
    auto& points = cal.codePoints;
    if (index < 0 || static_cast<std::size_t>(index) >= points.size()) return false;
    // The point leaves the list while it is edited, so that the entry's own
    // checks (code range, direction) see the others only; a cancelled edit
    // puts the list back as it was.
    const std::vector<CodePoint> kept = points;
    const CodePoint point = kept[static_cast<std::size_t>(index)];
    points.erase(points.begin() + index);
    const int r = EnterCalibrationPointInto(s, cal, std::to_string(point.code),
                                            FormatDecimals(point.value, 6, s.decimalSeparator), true,
                                            PointTarget::CodePoints);
    if (r == kPointAccepted) return true;
    points = kept;
    return false;
}

}  // namespace quillon
