#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/device_state.h"

namespace quillon {

// One setting of a group that a settings command reads in turn, with what the
// command uses when the device has none.
struct SequenceSetting {
    std::uint8_t number;
    std::uint32_t defaultValue;
    std::string notEnteredText;  // shown for response code 1
    std::string nameText;        // follows "Неизвестная ошибка при чтении "
};

enum class SequenceRead {
    Complete,     // every value read or defaulted
    Stopped,      // an exchange was aborted or could not be made
    Unsupported,  // the device refused a setting with code 3 or 4 (when asked to watch for it)
};

struct SequenceReadResult {
    SequenceRead outcome;
    std::vector<std::uint32_t> values;  // one per setting, defaults where not read
};

// Reads the settings in order inside one progress window ("Чтение параметра
// N : " + attempt, no attempt limit). Device errors are reported with each
// setting's texts and leave its default. `stoppedText` (if not empty) is shown
// before the window closes on a stop. With `refuseUnsupported`, code 3 or 4
// shows "Данный параметр не поддерживается устройством!" and ends the read.
SequenceReadResult ReadSettingSequence(DeviceState& s, const std::vector<SequenceSetting>& settings,
                                       const std::string& stoppedText, bool refuseUnsupported = false);

// Writes (number, value) pairs in order with the caption "Запись параметра N";
// the first failure shows "Не удалось записать параметры!", success
// "Данные успешно записаны!". True when all were written.
bool WriteSettingSequence(DeviceState& s, const std::vector<std::pair<std::uint8_t, std::uint32_t>>& values);

}  // namespace quillon
