#include "calibration/calibration_command.h"
#include "calibration/calibration_file.h"
#include "calibration/calibration_read.h"
#include "calibration/calibration_view.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "link/serial_link.h"

namespace quillon::cli {

namespace {

using nlohmann::json;

void PrintLines(Session& x, const ShowCalibrationDialog& d) {
    for (const std::string& line : d.lines) x.out.result(line, json{{"line", line}});
}

// What happened around the file dialog, for the exit status.
struct FileStep {
    bool answered = false;
    int errorsBefore = 0;
};

void AnswerFileDialog(Session& x, const std::string& file, FileStep& step) {
    x.ui.answerDialog<CalibrationFileDialog>([&x, file, &step](CalibrationFileDialog& d) {
        step.answered = true;
        step.errorsBefore = x.ui.errorCount();
        d.fileName = file;
        return true;
    });
}

// The view is shown once with its one choice; shown again, it is closed.
void AnswerView(Session& x, int action, bool& shown, bool& chosen) {
    x.ui.answerDialog<ShowCalibrationDialog>([&x, action, &shown, &chosen](ShowCalibrationDialog& d) {
        shown = true;
        PrintLines(x, d);
        const bool allowed = (action == kViewSave && d.saveEnabled) || (action == kViewSend && d.sendEnabled);
        if (!allowed) return false;
        chosen = true;
        d.result = action;
        return true;
    });
}

void ChooseFromFile(Session& x) {
    x.ui.answerDialog<CalibrationTypeDialog>([](CalibrationTypeDialog& d) {
        d.choice = CalibrationTypeDialog::kFromFile;
        return true;
    });
}

}  // namespace

int RunCalibrationRead(Session& x, const std::string& file) {
    if (!PrepareLink(x)) return kExitNoAnswer;
    FileStep step;
    bool shown = false, chosen = false;
    const bool identified = WithPortOpen(x.state, [&] {
        if (!Identify(x)) return false;
        AnswerView(x, kViewSave, shown, chosen);
        AnswerFileDialog(x, file, step);
        ReadCalibration(x.state, x.state.calibration);
        return true;
    });
    const bool ok = identified && chosen && step.answered;
    // Read, but not saved: what went wrong was the file.
    if (ok && x.ui.errorCount() > step.errorsBefore && !x.ui.interrupted() && !x.ui.refusedForYes())
        return kExitFileError;
    return Status(x, ok);
}

int RunCalibrationWrite(Session& x, const std::string& file) {
    if (!WritesConfirmed(x, "Запись калибровки в датчик")) return kExitUsage;
    if (!PrepareLink(x)) return kExitNoAnswer;
    FileStep step;
    bool shown = false, chosen = false;
    const bool identified = WithPortOpen(x.state, [&] {
        if (!Identify(x)) return false;
        ChooseFromFile(x);
        AnswerFileDialog(x, file, step);
        AnswerView(x, kViewSend, shown, chosen);
        CalibrationCommand(x.state, x.state.calibration);
        return true;
    });
    // The file would not load: no view came.
    if (identified && step.answered && !shown && x.ui.errorCount() > step.errorsBefore) return kExitFileError;
    return Status(x, identified && chosen);
}

int RunCalibrationShow(Session& x, const std::string& file) {
    FileStep step;
    bool shown = false, chosen = false;
    ChooseFromFile(x);
    AnswerFileDialog(x, file, step);
    AnswerView(x, kViewExit, shown, chosen);
    CalibrationCommand(x.state, x.state.calibration);
    if (!shown) return kExitFileError;
    return x.ui.errorCount() > 0 ? kExitFileError : kExitSuccess;
}

}  // namespace quillon::cli
