#include "device/measurement_parameters.h"

#include <cstdio>

#include "device/identification.h"
#include "device/measurement_parameter_sets.h"
#include "device/measuring_channel.h"
#include "device/variant.h"
#include "link/message_boxes.h"

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
    if (!AskMeasuringChannel(s)) return;
    const DeviceIdentity& id = s.identity;
    if (SoftwareIn(id, {10, 13}) || isRev16I2cChannel(id)) {
        if (isRev16I2cChannel(id))
            EditMeasurementSetA(s, true);
        else
            InfoBox(s, "В этой версии датчика настройка параметров измерений не предусмотрена!");
    } else if (isRev15(id)) {
        EditMeasurementSetB(s);
    } else if (isStandardFamilyExcept7_10_13(id)) {
        EditMeasurementSetA(s, false);
    } else if (isRev7(id)) {
        EditCathodicSensorParameters(s);
    } else {
        EditMeasurementCount(s);
    }
}

}  // namespace quillon
