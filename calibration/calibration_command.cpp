#include "calibration/calibration_command.h"

#include <algorithm>

#include "calibration/calibration_file.h"
#include "calibration/calibration_read.h"
#include "calibration/calibration_view.h"
#include "calibration/calibration_write.h"
#include "calibration/new_calibration.h"

namespace quillon {

namespace {

// The views of a file show its own list, whatever device is identified: the
// save writes that list in the file's form, and the send refuses it when the
// device keeps another form.
void ViewLoadedPairs(DeviceState& s, CalibrationSet& cal) {
    bool edited = false;
    for (;;) {
        const ViewChoice choice = ShowCalibration(s, cal, CalibrationList::TemperaturePairs, edited, true);
        edited = edited || choice.edited;
        switch (choice.action) {
            case kViewSend: SendCalibration(s, cal, CalibrationList::TemperaturePairs, false); break;
            case kViewSave: SaveCalibrationFile(s, cal, CalibrationList::TemperaturePairs, ""); break;
            default: return;
        }
    }
}

void ViewLoadedCodePoints(DeviceState& s, CalibrationSet& cal, const std::string& openedName) {
    bool edited = false;
    for (;;) {
        SegmentsFromPoints(cal, std::max<int>(s.identity.calibrationPointCount,
                                                        static_cast<int>(cal.codePoints.size())));
        const ViewChoice choice = ShowCalibration(s, cal, CalibrationList::CodePoints, edited, true);
        switch (choice.action) {
            case kViewSend: SendCalibration(s, cal, CalibrationList::CodePoints, false); break;
            case kViewSave: SaveCalibrationFile(s, cal, CalibrationList::CodePoints, openedName); break;
            case kViewEdit:
                if (EditCalibrationPoint(s, cal, choice.selected)) edited = true;
                break;
            default: return;
        }
    }
}

void ViewLoadedSegments(DeviceState& s, CalibrationSet& cal) {
    while (ShowCalibration(s, cal, CalibrationList::Segments, false, true).action == kViewSend) {
        cal.extraPoint = {};
        SendCalibration(s, cal, CalibrationList::Segments, false);
    }
}

void OpenCalibrationFile(DeviceState& s, CalibrationSet& cal) {
    std::string openedName;
    if (!LoadCalibrationFile(s, cal, &openedName)) return;
    switch (FileKindForm(cal.calibrationFileKind)) {
        case CalibrationList::TemperaturePairs: ViewLoadedPairs(s, cal); break;
        case CalibrationList::CodePoints: ViewLoadedCodePoints(s, cal, openedName); break;
        case CalibrationList::Segments: ViewLoadedSegments(s, cal); break;
    }
}

}  // namespace

void CalibrationCommand(DeviceState& s, CalibrationSet& cal) {
    for (;;) {
        cal.calibrationHasSensorId = false;
        CalibrationTypeDialog dialog;
        if (!s.ui.show(dialog)) return;
        switch (dialog.choice) {
            case CalibrationTypeDialog::kNew: NewCalibration(s, cal); break;
            case CalibrationTypeDialog::kRead: ReadCalibration(s, cal); break;
            case CalibrationTypeDialog::kFromFile: OpenCalibrationFile(s, cal); break;
            default: return;
        }
    }
}

}  // namespace quillon
