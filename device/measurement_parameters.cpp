#include "device/measurement_parameters.h"

#include <cstdio>

#include "device/identification.h"
#include "device/measurement_parameter_sets.h"
#include "device/measuring_channel.h"
#include "device/variant.h"

namespace quillon {

namespace {

bool SoftwareIn(const DeviceIdentity& id, std::initializer_list<int> set) {
    for (int v : set)
        if (id.softwareRevision == v) return true;
    return false;
}

}  // namespace

int DampingLimit(const DeviceIdentity& id) { return SoftwareIn(id, {8, 9, 15}) ? 33 : 9; }

std::string StandardShuntText(int index) {
    switch (index) {
        case 0: return "0.0015";
        case 1: return "0.0010";
        case 2: return "0.00075";
        default: return {};
    }
}

int ShuntItemFor(float shunt) {
    if (shunt == 0.0015f) return 0;
    if (shunt == 0.001f) return 1;
    if (shunt == 0.00075f) return 2;
    return kOtherShunt;
}

void MeasurementParametersCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    // Not even the channel question goes to a device of another maker.
    if (auto foreign = RequireOwnMake(s.identity)) {
        ShowReport(s.ui, MeasurementReadReport(s.identity, *foreign));
        return;
    }
    if (!AskMeasuringChannel(s)) return;
    switch (MeasurementSetOf(s.identity)) {
        case MeasurementSet::A: EditMeasurementSetA(s, false); break;
        case MeasurementSet::AI2c: EditMeasurementSetA(s, true); break;
        case MeasurementSet::B: EditMeasurementSetB(s); break;
        case MeasurementSet::Cathodic: EditCathodicSensorParameters(s); break;
        case MeasurementSet::Count: EditMeasurementCount(s); break;
        case MeasurementSet::None: ShowReport(s.ui, MeasurementReadReport(s.identity, ReadMeasurementParameters(s).outcome)); break;
    }
}

}  // namespace quillon
