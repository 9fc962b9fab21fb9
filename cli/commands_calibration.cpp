#include "calibration/calibration_file.h"
#include "calibration/calibration_form.h"
#include "calibration/calibration_read.h"
#include "calibration/calibration_view.h"
#include "calibration/calibration_write_op.h"
#include "calibration/calibration_write_report.h"
#include "cli/calibration_json.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/outcome_status.h"
#include "device/measuring_channel.h"
#include "device/sensor_id.h"
#include "device/variant.h"
#include "link/serial_link.h"

namespace quillon::cli {

namespace {

using nlohmann::json;

// The calibration for people as the view lists it, for scripts as one object.
void PrintCalibration(Session& x, const std::string& file, CalibrationList form, bool written) {
    if (x.out.json()) {
        json j{{"file", file}, {"calibration", CalibrationJson(x.state.calibration, form)}};
        if (written) j["written"] = true;
        x.out.result({}, j);
        return;
    }
    for (const std::string& line : CalibrationViewLines(x.state.calibration, form, x.state.identity, '.'))
        x.out.result(line, {});
    if (written) x.out.result("calibration written", {});
}

// Files are the engineer's: the file dialog is the one question these
// functions ask, answered with the name given on the command line.
void AnswerFileDialog(Session& x, const std::string& file) {
    x.ui.answerDialog<CalibrationFileDialog>([file](CalibrationFileDialog& d) {
        d.fileName = file;
        return true;
    });
}

// The status of a file step that failed: a replace refused without --yes is usage.
int FileFailureStatus(const Session& x) { return x.ui.refusedForYes() ? kExitUsage : kExitFileError; }

// The checks before a calibration read or write: the device can be
// calibrated, the channel is chosen, the sensor's id is known.
std::optional<int> PrepareDevice(Session& x) {
    const DeviceIdentity& id = x.state.identity;
    if (const auto foreign = RequireOwnMake(id)) return PresentOutcome(x, {}, *foreign);
    if (const std::string refusal = CalibrationRefusal(id); !refusal.empty()) {
        x.out.message(refusal);
        return kExitNotPossible;
    }
    if (!AskMeasuringChannel(x.state)) return kExitUsage;
    if (hasSensorId(id) && !id.sensorIdKnown) {
        const Result<SensorId> sensor = ReadSensorId(x.state);
        if (!sensor.done()) return PresentOutcome(x, SensorIdReport(sensor), sensor.outcome);
    }
    return std::nullopt;
}

}  // namespace

int RunCalibrationRead(Session& x, const std::string& file) {
    return WithDevice(x, [&] {
        if (const auto refused = PrepareDevice(x)) return *refused;
        CalibrationSet& cal = x.state.calibration;
        const CalibrationReadResult r = ReadDeviceCalibration(x.state, cal);
        Present(x.out, CalibrationReadReport(x.state.identity, cal, r), r.outcome);
        if (!r.done()) return StatusOf(x, r.outcome);
        AnswerFileDialog(x, file);
        if (!SaveCalibrationFile(x.state, cal, r.value.form, file)) return FileFailureStatus(x);
        PrintCalibration(x, file, r.value.form, false);
        return kExitSuccess;
    });
}

int RunCalibrationWrite(Session& x, const std::string& file) {
    if (!WritesConfirmed(x, "Запись калибровки в датчик")) return kExitUsage;
    return WithDevice(x, [&] {
        if (const auto refused = PrepareDevice(x)) return *refused;
        CalibrationSet& cal = x.state.calibration;
        AnswerFileDialog(x, file);
        if (!LoadCalibrationFile(x.state, cal)) {
            x.out.message("Файл " + file + " не прочитан");
            return kExitFileError;
        }
        const CalibrationList form = CalibrationFormInMemory(x.state, cal);
        // A script's answers to the questions in the middle of a write: give up
        // rather than repeat, never clear an extra point nobody has seen.
        const CalibrationWriteResult r =
            WriteCalibration(x.state, cal, form, false, LockPolicy(x), CalibrationWriteQuestions{});
        Present(x.out, CalibrationWriteReport(r), r.outcome);
        if (!r.done()) return StatusOf(x, r.outcome);
        PrintCalibration(x, file, form, true);
        return kExitSuccess;
    });
}

int RunCalibrationShow(Session& x, const std::string& file) {
    CalibrationSet& cal = x.state.calibration;
    AnswerFileDialog(x, file);
    if (!LoadCalibrationFile(x.state, cal)) {
        x.out.message("Файл " + file + " не прочитан");
        return kExitFileError;
    }
    PrintCalibration(x, file, CalibrationFormInMemory(x.state, cal), false);
    return kExitSuccess;
}

}  // namespace quillon::cli
