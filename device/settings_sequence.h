#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "device/device_state.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// One setting of a group that a settings command reads in turn, with what the
// command uses when the device has none.
struct SequenceSetting {
    std::uint8_t number;
    std::uint32_t defaultValue;
    std::string notEnteredText;  // shown for response code 1
    std::string nameText;        // follows "Неизвестная ошибка при чтении "
};

using SettingValues = std::vector<std::pair<std::uint8_t, std::uint32_t>>;

// The values of a group read, defaults where the device had none, and what
// the engineer is told of those (one box per setting not read).
struct SequenceValues {
    std::vector<std::uint32_t> values;
    Report notes;
};

// Reads the settings in order inside one progress window ("Чтение параметра
// N : " + attempt, no attempt limit). Done: every value read or defaulted.
// NoAnswer or Interrupted: an exchange was stopped. With `refuseUnsupported`,
// code 3 or 4 ends the read Refused with that code. NotPossible on a device
// of another maker.
Result<SequenceValues> ReadSettingValues(DeviceState& s, const std::vector<SequenceSetting>& settings,
                                         bool refuseUnsupported = false);
// The boxes of a group read that did not end done: `stoppedText` (if not
// empty) for a stop, "Данный параметр не поддерживается устройством!" for an
// unsupported setting, the reason of a device of another maker.
Report SequenceReadReport(const Outcome& o, const std::string& stoppedText);

// Writes the pairs in order (command 177, "Запись параметра N"); on the write
// lock `askRepeat` decides whether the refused one goes out again. A write
// that stops after some were written is Partial, saying which settings hold
// new values and which their old ones.
Outcome WriteSettingValues(DeviceState& s, const SettingValues& values, const AskRepeatOnLock& askRepeat);
// "Данные успешно записаны!" when done; else the failed setting's own box and
// "Не удалось записать параметры!" with what the write left in the device.
Report SequenceWriteReport(const SettingValues& values, const Outcome& o);

// The windows' forms of the two, which show their reports themselves.
enum class SequenceRead {
    Complete,     // every value read or defaulted
    Stopped,      // an exchange was aborted or could not be made
    Unsupported,  // the device refused a setting with code 3 or 4 (when asked to watch for it)
};

struct SequenceReadResult {
    SequenceRead outcome;
    std::vector<std::uint32_t> values;  // one per setting, defaults where not read
};

SequenceReadResult ReadSettingSequence(DeviceState& s, const std::vector<SequenceSetting>& settings,
                                       const std::string& stoppedText, bool refuseUnsupported = false);
// Asks the write-lock question as one warning. True when all were written.
bool WriteSettingSequence(DeviceState& s, const SettingValues& values);

}  // namespace quillon
