#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "device/device_state.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// Menu command "Количество преамбул ...": reads (on the preamble family) and
// writes the number of preambles the device sends before its answers.
// Runs inside the caller's port bracket.
void PreamblesCommand(DeviceState& s);

// A whole number as typed: optional spaces around, an optional sign, digits.
std::optional<int> ParseWholeNumber(std::string_view text);

// The message shown when a field that needs a whole number holds something else.
std::string NotWholeNumberText(const std::string& text);

inline constexpr int kMinPreambles = 3;
inline constexpr int kMaxPreambles = 50;

// The device's answer-preamble count as the preamble family keeps it
// (setting 22); other variants answer the count identification read, with no
// request. Done: the count, also kept in `responsePreambles`; a count never
// entered, or refused with an unknown code, is the device's default 9, with
// its box in `notes`. Refused with code 3 or 4: the device does not support
// the change. NotPossible before any request on a variant that does not allow
// the change or a device of another maker.
Result<int> ReadPreambleCount(DeviceState& s, Report* notes = nullptr);
Report PreambleReadReport(const Outcome& o);
// Writes the count (setting 22 on the preamble family, else command 59).
// InputRefused outside 3-50. Done through command 59: kept in
// `responsePreambles`.
Outcome WritePreambleCount(DeviceState& s, int count, const AskRepeatOnLock& askRepeat);
Report PreambleWriteReport(const DeviceIdentity& id, const Outcome& o);

}  // namespace quillon
