#include "device/measurement_parameter_sets.h"
#include "device/measurement_parameters.h"
#include "device/write_lock.h"

namespace quillon {

// Reads, asks and writes through the measurement-parameter operations; every
// set's flow has this shape, with its own dialog.
bool ReadForDialog(DeviceState& s, MeasurementParameters& p) {
    Report notes;
    const Result<MeasurementParameters> read = ReadMeasurementParameters(s, &notes);
    ShowReport(s.ui, notes);
    ShowReport(s.ui, MeasurementReadReport(s.identity, read.outcome));
    if (!read.done()) return false;
    p = read.value;
    return true;
}

void WriteFromDialog(DeviceState& s, const MeasurementParameters& p) {
    const Outcome o = WriteMeasurementParameters(s, p, AskLockQuestion(s.ui));
    ShowReport(s.ui, MeasurementWriteReport(s.identity, p, o));
}

void EditMeasurementCount(DeviceState& s) {
    MeasurementParameters p;
    if (!ReadForDialog(s, p)) return;

    ChangeMeasParamsDialog dialog;
    dialog.count = p.measurementCount;
    do {
        if (!s.ui.show(dialog)) return;
    } while (dialog.count < kMinMeasurementCount || dialog.count > kMaxMeasurementCount);
    p.measurementCount = dialog.count;
    WriteFromDialog(s, p);
}

}  // namespace quillon
