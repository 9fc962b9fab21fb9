#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "device/device_state.h"
#include "frontend/dac_record.h"
#include "frontend/frontend_state.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// Menu command "Параметры ЦАП ..." (inside the port bracket).
void DacSettingsCommand(DeviceState& s, FrontendState& f);

// Devices whose DAC scaling can be set at all (those that keep it as
// numbered settings 17, 18, 5, 13: isDacBySettings of the device variant).
bool supportsDacSettings(const DeviceIdentity& id);

// The three ways the devices keep their DAC scaling: settings 0, 1, 6, 7
// (revision 7), settings 17, 18, 5, 13, and the parameter-block record.
void DacScalingBySettings0167(DeviceState& s);
void DacScalingBySettings17_18_5_13(DeviceState& s);
void DacScalingByRecord(DeviceState& s);

// What the settings 17, 18, 5, 13 start from when the device has none entered:
// the slope is a single on the converter families A and B, an integer elsewhere.
struct DacDefaults {
    float lowValue;
    float highValue;
    bool floatSlope;
    std::uint32_t slope;  // bits of the single, or the integer
    std::int32_t offset;
};
DacDefaults DacDefaultsBySettings(const DeviceIdentity& id);

// The DAC scaling as the engineer gives it, for the devices that keep it as
// settings: the slope is taken as a single or as an integer, as the device keeps it.
struct DacScalingEntry {
    std::int64_t offset = 0;
    double slope = 0.0;
    float lowValue = 0.0f;
    float highValue = 0.0f;
};

// Writes the scaling of a revision-7 device (settings 0, 1, 6, 7) or of a
// device that keeps it as settings 17, 18, 5, 13. NotPossible on the other
// variants; InputRefused, before any request, for an offset or slope out of
// the variant's range (the dialog's own texts). Partial when the writes stop
// part-way.
Outcome WriteDacScaling(DeviceState& s, const DacScalingEntry& e, const AskRepeatOnLock& askRepeat);
// Done: "Данные успешно записаны!"; otherwise the failure's boxes.
Report DacScalingReport(const DeviceIdentity& id, const DacScalingEntry& e, const Outcome& o);

// The record of the variant that keeps it in the parameter block.
struct DacRecordRead {
    DacRecordValues values;
    bool valid = false;  // false: the check byte was wrong and `values` are the defaults
};
// Done: the record, or the defaults with `valid` clear. Otherwise the defaults
// too: the dialog still opens so the engineer can set the device up anew.
Result<DacRecordRead> ReadDacRecord(DeviceState& s);
Report DacRecordReadReport(const Result<DacRecordRead>& r);

// What the re-check (command 192) said after the record was written.
enum class DacRecheck { NotSent, NoAnswer, Accepted, NotAccepted };

// Writes the record (offset in [-16383, 30000], slope non-negative and
// finite, else InputRefused) and re-checks it. Done only when the device took
// the write and its re-check accepted it; a write the device refused with
// another code than the lock is still re-checked, and the value says what the
// re-check answered.
Result<DacRecheck> WriteDacRecord(DeviceState& s, const DacRecordValues& v, const AskRepeatOnLock& askRepeat);
Report DacRecordWriteReport(const Result<DacRecheck>& r);

}  // namespace quillon
