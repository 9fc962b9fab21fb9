#include "calibration/calibration_command.h"
#include "calibration/calibration_file.h"
#include "calibration/calibration_read.h"
#include "calibration/calibration_view.h"
#include "cli/calibration_json.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "link/serial_link.h"

namespace quillon::cli {

namespace {

using nlohmann::json;

// The view's lines for people; scripts get the calibration itself, once, at the end.
void PrintLines(Session& x, const ShowCalibrationDialog& d) {
    if (x.out.json()) return;
    for (const std::string& line : d.lines) x.out.result(line, {});
}

// The calibration as the view showed it: a read clears its lists once it is saved.
struct Shown {
    bool shown = false;
    bool chosen = false;
    CalibrationSet set;
    CalibrationList form = CalibrationList::Segments;
};

void PrintCalibration(Session& x, const std::string& file, const Shown& view, bool written) {
    if (!x.out.json()) return;
    json j{{"file", file}, {"calibration", CalibrationJson(view.set, view.form)}};
    if (written) j["written"] = true;
    x.out.result({}, j);
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
void AnswerView(Session& x, int action, Shown& view) {
    x.ui.answerDialog<ShowCalibrationDialog>([&x, action, &view](ShowCalibrationDialog& d) {
        bool& chosen = view.chosen;
        view.shown = true;
        view.set = x.state.calibration;
        view.form = CalibrationFormInMemory(x.state);
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
    if (const int status = PrepareLink(x); status != kExitSuccess) return status;
    FileStep step;
    Shown view;
    const bool identified = WithPortOpen(x.state, [&] {
        if (!Identify(x)) return false;
        AnswerView(x, kViewSave, view);
        AnswerFileDialog(x, file, step);
        ReadCalibration(x.state);
        return true;
    });
    if (!identified) return IdentifyFailureStatus(x);
    const bool ok = view.chosen && step.answered;
    // Read, but not saved: what went wrong was the file.
    if (ok && x.ui.errorCount() > step.errorsBefore && !x.ui.interrupted() && !x.ui.refusedForYes())
        return kExitFileError;
    const int status = Status(x, ok);
    if (status == kExitSuccess) PrintCalibration(x, file, view, false);
    return status;
}

int RunCalibrationWrite(Session& x, const std::string& file) {
    if (!WritesConfirmed(x, "Запись калибровки в датчик")) return kExitUsage;
    if (const int status = PrepareLink(x); status != kExitSuccess) return status;
    FileStep step;
    Shown view;
    const bool identified = WithPortOpen(x.state, [&] {
        if (!Identify(x)) return false;
        ChooseFromFile(x);
        AnswerFileDialog(x, file, step);
        AnswerView(x, kViewSend, view);
        CalibrationCommand(x.state);
        return true;
    });
    if (!identified) return IdentifyFailureStatus(x);
    // The file would not load: no view came.
    if (step.answered && !view.shown && x.ui.errorCount() > step.errorsBefore) return kExitFileError;
    const int status = Status(x, view.chosen);
    if (status == kExitSuccess) PrintCalibration(x, file, view, true);
    return status;
}

int RunCalibrationShow(Session& x, const std::string& file) {
    FileStep step;
    Shown view;
    ChooseFromFile(x);
    AnswerFileDialog(x, file, step);
    AnswerView(x, kViewExit, view);
    CalibrationCommand(x.state);
    if (!view.shown || x.ui.errorCount() > 0) {
        if (x.ui.errorCount() == 0) x.out.message("Файл " + file + " не прочитан");
        return kExitFileError;
    }
    PrintCalibration(x, file, view, false);
    return kExitSuccess;
}

}  // namespace quillon::cli
