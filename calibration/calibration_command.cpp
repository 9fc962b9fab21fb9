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
void ViewLoadedPairs(AppState& s) {
    bool edited = false;
    for (;;) {
        const ViewChoice choice = ShowCalibration(s, CalibrationList::TemperaturePairs, edited, true);
        edited = edited || choice.edited;
        switch (choice.action) {
            case kViewSend: SendCalibration(s, CalibrationList::TemperaturePairs, false); break;
            case kViewSave: SaveCalibrationFile(s, CalibrationList::TemperaturePairs, ""); break;
            default: return;
        }
    }
}

void ViewLoadedCodePoints(AppState& s, const std::string& openedName) {
    bool edited = false;
    for (;;) {
        SegmentsFromPoints(s.calibration, std::max<int>(s.identity.calibrationPointCount,
                                                        static_cast<int>(s.calibration.codePoints.size())));
        const ViewChoice choice = ShowCalibration(s, CalibrationList::CodePoints, edited, true);
        switch (choice.action) {
            case kViewSend: SendCalibration(s, CalibrationList::CodePoints, false); break;
            case kViewSave: SaveCalibrationFile(s, CalibrationList::CodePoints, openedName); break;
            case kViewEdit:
                if (EditCalibrationPoint(s, choice.selected)) edited = true;
                break;
            default: return;
        }
    }
}

void ViewLoadedSegments(AppState& s) {
    while (ShowCalibration(s, CalibrationList::Segments, false, true).action == kViewSend) {
        s.calibration.extraPoint = {};
        SendCalibration(s, CalibrationList::Segments, false);
    }
}

void OpenCalibrationFile(AppState& s) {
    std::string openedName;
    if (!LoadCalibrationFile(s, &openedName)) return;
    switch (FileKindForm(s.calibration.calibrationFileKind)) {
        case CalibrationList::TemperaturePairs: ViewLoadedPairs(s); break;
        case CalibrationList::CodePoints: ViewLoadedCodePoints(s, openedName); break;
        case CalibrationList::Segments: ViewLoadedSegments(s); break;
    }
}

}  // namespace

void CalibrationCommand(AppState& s) {
    for (;;) {
        s.calibration.calibrationHasSensorId = false;
        CalibrationTypeDialog dialog;
        if (!s.ui.show(dialog)) return;
        switch (dialog.choice) {
            case CalibrationTypeDialog::kNew: NewCalibration(s); break;
            case CalibrationTypeDialog::kRead: ReadCalibration(s); break;
            case CalibrationTypeDialog::kFromFile: OpenCalibrationFile(s); break;
            default: return;
        }
    }
}

}  // namespace quillon
