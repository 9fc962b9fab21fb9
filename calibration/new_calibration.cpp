#include "calibration/new_calibration.h"

#include "calibration/calibration_file.h"
#include "calibration/calibration_form.h"
#include "calibration/calibration_measurement.h"
#include "calibration/calibration_view.h"
#include "calibration/calibration_write.h"
#include "calibration/point_count.h"
#include "device/identification.h"
#include "device/measuring_channel.h"
#include "device/sensor_id.h"
#include "device/variant.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

CalibrationList ListOfNewCalibration(const DeviceIdentity& id) {
    if (!id.extendedCalibration) return CalibrationList::Segments;
    return hasTemperatureReadings(id) ? CalibrationList::TemperaturePairs : CalibrationList::CodePoints;
}

// View, save and (when every point wanted was taken) send until the engineer
// leaves the view.
void ViewNewCalibration(DeviceState& s, CalibrationSet& cal, bool complete) {
    const CalibrationList list = ListOfNewCalibration(s.identity);
    for (;;) {
        const ViewChoice choice = ShowCalibration(s, cal, list, true, complete);
        switch (choice.action) {
            case kViewSave: SaveCalibrationFile(s, cal, list, ""); break;
            case kViewSend: SendCalibration(s, cal, list, true); break;
            case kViewEdit:
                // A code point typed wrong can be mended before it is sent.
                if (list == CalibrationList::CodePoints && EditCalibrationPoint(s, cal, choice.selected))
                    SegmentsFromPoints(cal, s.identity.calibrationPointCount);
                break;
            default: return;
        }
    }
}

}  // namespace

void NewCalibration(DeviceState& s, CalibrationSet& cal) {
    CalibrationSet& set = cal;
    set.clearLists();
    if (!ensureIdentified(s)) return;
    DeviceIdentity& id = s.identity;
    if (const std::string refusal = CalibrationRefusal(id); !refusal.empty()) {
        InfoBox(s, refusal);
        return;
    }
    if (!AskMeasuringChannel(s)) return;
    id.sensorIdKnown = false;
    if (!readSensorId(s)) return;

    set.calibrationHasSensorId = hasSensorId(id);
    if (set.calibrationHasSensorId) set.calibrationSensorId = id.sensorId;
    set.calibrationEnabled = 1;
    set.extraPoint = {};

    int pointsWanted = id.calibrationPointCount;
    if (supportsCalibrationRead(id)) {
        pointsWanted = AskPointCount(s, 2, id.calibrationPointCount);
        if (pointsWanted == 0) return;
    }
    id.calibrationPointLimit = pointsWanted;
    InfoBox(s, "Для калибровки необходимо задать " + std::to_string(pointsWanted) + " точек.");
    s.flags.resetRequested = true;

    ViewTakenCalibration(s, cal, TakeCalibrationPoints(s, cal, pointsWanted), pointsWanted);
}

void ViewTakenCalibration(DeviceState& s, CalibrationSet& cal, int measured, int pointsWanted) {
    CalibrationSet& set = cal;
    const DeviceIdentity& id = s.identity;
    if (measured == kMeasurementAbandoned) {
        set.clearLists();  // abandoned: no half calibration is left to be sent or saved later
        return;
    }
    const bool complete = measured == kMeasurementFinished;
    if (!complete) {
        // The points taken are the engineer's work: they stay to be looked at and saved.
        const std::size_t taken = hasTemperatureReadings(id) ? set.temperaturePairs.size() : set.codePoints.size();
        s.ui.message(MessageIcon::Warning,
                     "Измерение прервано: запрос к датчику не может быть сформирован. Введено точек: " +
                         std::to_string(taken) + " из " + std::to_string(pointsWanted) +
                         (taken >= 2 ? ". Их можно просмотреть и записать в файл." : "."),
                     MessageButtons::Ok);
        if (taken < 2) {
            set.clearLists();
            return;
        }
    }
    if (!hasTemperatureReadings(id)) SegmentsFromPoints(set, id.calibrationPointCount);
    ViewNewCalibration(s, cal, complete);
    set.segmentTable.clear();
    set.codePoints.clear();
}

}  // namespace quillon
