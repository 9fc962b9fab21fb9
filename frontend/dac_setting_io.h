#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "app/app_state.h"

namespace quillon {

// One setting of the DAC scaling, with the messages its read may show.
struct DacSettingField {
    std::uint8_t number;
    std::string notEnteredMessage;  // response code 1
    std::string otherCodeSuffix;    // after "Неизвестная ошибка при чтении "
    std::uint32_t value;            // the default going in, the value read coming out
};

// Reads the fields in order under one progress window, each with attempts
// "Чтение параметра " + number + " : " + attempt until answered. A field the
// device does not give keeps its default, after an error box. False when the
// user stopped a read: the command then ends without a message.
bool ReadDacSettings(AppState& s, std::span<DacSettingField> fields);

struct DacSettingValue {
    std::uint8_t number;
    std::uint32_t value;
};

// Writes the settings in order ("Запись параметра " + number); the first
// failure shows "Не удалось записать параметры!" and stops, success shows
// "Данные успешно записаны!". True when all were written.
bool WriteDacSettings(AppState& s, std::span<const DacSettingValue> values);

}  // namespace quillon
