#include <filesystem>

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

// A file that exists is replaced only when the writes are confirmed.
bool MayWriteFile(Session& x, const std::string& file) {
    std::error_code ec;
    if (x.options.yes || !std::filesystem::exists(file, ec)) return true;
    x.out.message("Файл " + file + " уже существует: для замены добавьте флаг --yes.");
    return false;
}

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
    if (!MayWriteFile(x, file)) return kExitUsage;
    return WithDevice(x, [&] {
        if (const auto refused = PrepareDevice(x)) return *refused;
        CalibrationSet& cal = x.state.calibration;
        const CalibrationReadResult r = ReadDeviceCalibration(x.state, cal);
        Present(x.out, CalibrationReadReport(x.state.identity, cal, r), r.outcome);
        if (!r.done()) return StatusOf(x, r.outcome);
        // The slopes between code points, as the windows derive them before the view and the save.
        if (r.value.form == CalibrationList::CodePoints)
            SegmentsFromPoints(cal, x.state.identity.calibrationPointCount);
        if (!SaveCalibrationFileAt(x.state, cal, r.value.form, file)) return kExitFileError;
        PrintCalibration(x, file, r.value.form, false);
        return kExitSuccess;
    });
}

int RunCalibrationWrite(Session& x, const std::string& file, bool clearExtraPoint) {
    if (!WritesConfirmed(x, "Запись калибровки в датчик")) return kExitUsage;
    return WithDevice(x, [&] {
        if (const auto refused = PrepareDevice(x)) return *refused;
        CalibrationSet& cal = x.state.calibration;
        if (!LoadCalibrationFileAt(x.state, cal, file)) {
            x.out.message("Файл " + file + " не прочитан");
            return kExitFileError;
        }
        const CalibrationList form = CalibrationFormInMemory(x.state, cal);
        // A script's answers to the questions in the middle of a write: give up
        // rather than repeat; clear the device's extra point only when told to.
        CalibrationWriteQuestions questions;
        questions.clearExtraPoint = [clearExtraPoint](const ExtraPoint&) { return clearExtraPoint; };
        const CalibrationWriteResult r = WriteCalibration(x.state, cal, form, false, LockPolicy(x), questions);
        Present(x.out, CalibrationWriteReport(r), r.outcome);
        if (!r.done()) return StatusOf(x, r.outcome);
        PrintCalibration(x, file, form, true);
        return kExitSuccess;
    });
}

int RunCalibrationShow(Session& x, const std::string& file) {
    CalibrationSet& cal = x.state.calibration;
    if (!LoadCalibrationFileAt(x.state, cal, file)) {
        x.out.message("Файл " + file + " не прочитан");
        return kExitFileError;
    }
    PrintCalibration(x, file, CalibrationFormInMemory(x.state, cal), false);
    return kExitSuccess;
}

}  // namespace quillon::cli
