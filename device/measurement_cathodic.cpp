#include <bit>

#include "device/decimal_field.h"
#include "device/measurement_parameter_sets.h"
#include "device/measurement_parameters.h"
#include "device/number_entry.h"
#include "device/settings_sequence.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kOutputQuantitySetting = 2;
constexpr std::uint8_t kShuntSetting = 8;
constexpr float kDefaultShunt = 0.001f;
constexpr const char* kShuntNotPositive = "Сопротивление шунта должно быть больше нуля!";

}  // namespace

void EditCathodicSensorParameters(DeviceState& s) {
    const std::vector<SequenceSetting> settings = {
        {kOutputQuantitySetting, 0, "Единицы выдачи значения не были введены!", "единицы выдачи значения !"},
        {kShuntSetting, std::bit_cast<std::uint32_t>(kDefaultShunt), "Значение шунта не было введено!",
         "значения шунта !"},
    };
    // A stopped read ends quietly here: the device answers for a sensor, not a transmitter.
    const SequenceReadResult read = ReadSettingSequence(s, settings, {}, true);
    if (read.outcome != SequenceRead::Complete) return;

    const float shunt = std::bit_cast<float>(read.values[1]);
    KatPotParamsDialog dialog;
    dialog.unit = read.values[0] != 0 ? 1 : 0;
    dialog.shunt = ShuntItemFor(shunt);
    dialog.shuntValueText = FormatGeneral(shunt, 7, s.decimalSeparator);
    if (!s.ui.show(dialog)) return;

    const bool current = dialog.unit == 1;
    std::uint32_t shuntBits = read.values[1];
    if (current) {
        const std::optional<float> typed = ConvertSingleField(s, dialog.shuntValueText);
        if (!typed) return;
        // A shunt of no resistance (or less) would turn every current into an
        // infinite or negative potential.
        if (!(*typed > 0.0f)) {
            ErrorBox(s, kShuntNotPositive);
            return;
        }
        shuntBits = std::bit_cast<std::uint32_t>(*typed);
    }
    WriteSettingSequence(s, {{kOutputQuantitySetting, current ? 1u : 0u}, {kShuntSetting, shuntBits}});
}

}  // namespace quillon
