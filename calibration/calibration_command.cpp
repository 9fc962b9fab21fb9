#include "calibration/calibration_command.h"

#include "calibration/calibration_file.h"
#include "calibration/calibration_read.h"
#include "calibration/calibration_view.h"
#include "calibration/calibration_write.h"
#include "calibration/new_calibration.h"

namespace quillon {

namespace {

void ViewLoadedPairs(AppState& s) {
    for (;;) {
        switch (ShowCalibration(s, CalibrationList::TemperaturePairs, false, true).action) {
            case kViewSend: WriteTemperaturePairs(s); break;
            case kViewSave: SaveCalibrationFile(s, ""); break;
            default: return;
        }
    }
}

void ViewLoadedCodePoints(AppState& s, const std::string& openedName) {
    bool edited = false;
    for (;;) {
        SegmentsFromPoints(s.calibration, s.identity.calibrationPointCount);
        const ViewChoice choice = ShowCalibration(s, CalibrationList::CodePoints, edited, true);
        switch (choice.action) {
            case kViewSend: WriteCodePoints(s); break;
            case kViewSave: SaveCalibrationFile(s, openedName); break;
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
        WriteSegments(s, false);
    }
}

void OpenCalibrationFile(AppState& s) {
    std::string openedName;
    if (!LoadCalibrationFile(s, &openedName)) return;
    const int kind = s.calibration.calibrationFileKind;
    if (s.identity.extendedCalibration && (kind == kFileIniFloatPairs || kind == kFileIniCodePairs))
        ViewLoadedPairs(s);
    else if (s.identity.extendedCalibration)
        ViewLoadedCodePoints(s, openedName);
    else
        ViewLoadedSegments(s);
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
