#include "calibration/new_calibration.h"

#include "calibration/calibration_file.h"
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

// Devices this tool cannot calibrate, with the reason shown; empty when it can.
std::string CalibrationRefusal(const DeviceIdentity& id) {
    if (isRev15(id))
        return "В данном устройстве используется многотемпературная калибровка. Используйте для калибровки "
               "программу Dravmont.exe !";
    if (!isNotRev10or13(id)) return kCalibrationNotSupported;
    return {};
}

CalibrationList ListOfNewCalibration(const DeviceIdentity& id) {
    if (!id.extendedCalibration) return CalibrationList::Segments;
    return hasTemperatureReadings(id) ? CalibrationList::TemperaturePairs : CalibrationList::CodePoints;
}

void SendNewCalibration(AppState& s) {
    if (isRev14or16(s.identity))
        WriteTemperaturePairs(s);
    else if (s.identity.extendedCalibration)
        WriteCodePoints(s);
    else
        WriteSegments(s, true);
}

// View, save and send until the engineer leaves the view.
void ViewNewCalibration(AppState& s) {
    const CalibrationList list = ListOfNewCalibration(s.identity);
    for (;;) {
        const ViewChoice choice = ShowCalibration(s, list, true, true);
        switch (choice.action) {
            case kViewSave: SaveCalibrationFile(s, ""); break;
            case kViewSend: SendNewCalibration(s); break;
            case kViewEdit:
                // A code point typed wrong can be mended before it is sent.
                if (list == CalibrationList::CodePoints && EditCalibrationPoint(s, choice.selected))
                    SegmentsFromPoints(s.calibration, s.identity.calibrationPointCount);
                break;
            default: return;
        }
    }
}

}  // namespace

void NewCalibration(AppState& s) {
    CalibrationSet& set = s.calibration;
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

    if (TakeCalibrationPoints(s, pointsWanted) != kMeasurementFinished) {
        set.clearLists();  // abandoned: no half calibration is left to be sent or saved later
        return;
    }
    if (!hasTemperatureReadings(id)) SegmentsFromPoints(set, id.calibrationPointCount);
    ViewNewCalibration(s);
    set.segmentTable.clear();
    set.codePoints.clear();
}

}  // namespace quillon
