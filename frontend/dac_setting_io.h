#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "device/device_state.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// One setting of the DAC scaling, with the messages its read may show.
struct DacSettingField {
    std::uint8_t number;
    std::string notEnteredMessage;  // response code 1
    std::string otherCodeSuffix;    // after "Неизвестная ошибка при чтении "
    std::uint32_t value;            // the default going in, the value read coming out
    // 0 when read; otherwise the device's response code (kNoResponseCode: an
    // answer without a value) and the field kept its default.
    std::uint8_t refusal = 0;
};

// Reads the fields in order under one progress window, each with attempts
// "Чтение параметра " + number + " : " + attempt until answered. Done when
// every field was answered (a field the device refused keeps its default and
// says why); Interrupted or NoAnswer at the first that was not.
Outcome ReadDacSettings(DeviceState& s, std::span<DacSettingField> fields);
// A box for each field the device did not give; none after a stop, which
// ends the command without a word.
Report DacSettingsReadReport(std::span<const DacSettingField> fields, const Outcome& o);

struct DacSettingValue {
    std::uint8_t number;
    std::uint32_t value;
};

// Writes the settings in order ("Запись параметра " + number, or + position
// with `captionByPosition`), repeating a step the write lock refused when
// `askRepeat` says so. Stops at the first step not done: Partial after k of
// n, saying which settings are new and which are as they were.
Outcome WriteDacSettings(DeviceState& s, std::span<const DacSettingValue> values, const AskRepeatOnLock& askRepeat,
                         bool captionByPosition = false);
// Done: "Данные успешно записаны!". Otherwise the failed setting's own box
// and "Не удалось записать параметры!" with what the device holds now.
Report DacSettingsWriteReport(std::span<const DacSettingValue> values, const Outcome& o);
// The failure boxes alone (the caller has its own text for success).
Report SettingsWriteFailureReport(std::span<const DacSettingValue> values, const Outcome& o);

// What a write stopped after `done` of `values` leaves in the device.
std::string SettingsLeftText(std::span<const DacSettingValue> values, int done);

}  // namespace quillon
