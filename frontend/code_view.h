#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include <vector>

#include "device/device_state.h"
#include "link/live_view.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// Statistics of one shown converter channel while the view is open.
struct CodeViewChannel {
    std::int32_t requests = 0;
    std::int32_t answers = 0;
    std::int32_t valued = 0;   // answers that carried a value, NaN included
    std::int32_t samples = 0;  // values in the average, NaN excluded
    double floatSum = 0.0;
    std::uint64_t codeSum = 0;  // integer channels, each value taken as unsigned 32-bit
};

// Channels the view shows for the device: 2 with a second code channel, 3 on
// revision 6, else 1.
int CodeViewChannelCount(const DeviceIdentity& id);
bool hasTwoCodeChannels(const DeviceIdentity& id);

// Float channels carry an IEEE single, the others a 32-bit integer code.
bool IsFloatCodeChannel(const DeviceIdentity& id, int channel, int loadedCalibrationKind);

// Captions of the three groups for the device.
std::array<std::string, 3> CodeViewGroupCaptions(const DeviceIdentity& id);

// Puts the request of `channel` into the exchange buffer: setting 19/30, 20
// or 10 on the standard command family, else command 113.
void BuildCodeRequest(DeviceState& s, int channel);

// The 32-bit value of the answer in the buffer, when it carries one.
std::optional<std::uint32_t> CodeValueFromAnswer(const DeviceState& s);

// Polls the converter codes of the identified device into `view` until the
// engineer stops it (Enter, Esc, Stop) or the link is lost; the channel to
// measure was chosen before. `loadedCalibrationKind` decides, before any
// device was identified, which channels carry singles. The value: each shown
// channel's statistics. Done when the engineer ended a run in which the
// device answered; NoAnswer when the link was lost or no request was
// answered; NotPossible on a variant without the view or another maker's device.
Result<std::vector<CodeViewChannel>> RunCodeView(DeviceState& s, LiveView& view, int loadedCalibrationKind);
// Nothing for a run that ended as the engineer wanted or found no answer (the
// view showed it); the link's words when it was lost; the refusal's text.
Report CodeViewReport(const Outcome& o);

// Menu command "Просмотр кода АЦП" (inside the port bracket).
void AdcCodeViewCommand(DeviceState& s, int loadedCalibrationKind);

}  // namespace quillon
