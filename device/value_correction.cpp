#include "device/value_correction.h"

#include <bit>

#include "device/correction_fit_dialog.h"
#include "device/decimal_field.h"
#include "device/identification.h"
#include "device/measuring_channel.h"
#include "device/polling_format.h"
#include "device/settings_sequence.h"
#include "device/variant.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

struct CorrectionSettings {
    std::uint8_t offset;
    std::uint8_t factor;
};

// The I2C sensor of a revision-16 device keeps its own correction.
CorrectionSettings SettingsFor(const DeviceIdentity& id) {
    return isRev16I2cChannel(id) ? CorrectionSettings{34, 35} : CorrectionSettings{15, 16};
}

void FitIntoDialog(DeviceState& s, PopravkaDialog& d) {
    const auto fit = AskCorrectionFit(s, d.currentOffset, d.currentFactor, d.left, d.top);
    if (!fit) return;
    d.offsetText = FormatFixed(fit->offset, 7, 4, s.decimalSeparator);
    d.factorText = FormatFixed(fit->factor, 7, 4, s.decimalSeparator);
}

}  // namespace

void ValueCorrectionCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    if (!hasValueCorrection(s.identity)) {
        InfoBox(s, "Данное устройство не допускает корректировку значения!");
        return;
    }
    if (!AskMeasuringChannel(s)) return;

    const CorrectionSettings numbers = SettingsFor(s.identity);
    const SequenceReadResult read =
        ReadSettingSequence(s,
                            {{numbers.offset, std::bit_cast<std::uint32_t>(0.0f), "Добавка к значению не была введена!",
                              "корректирующей добавки !"},
                             {numbers.factor, std::bit_cast<std::uint32_t>(1.0f),
                              "Множитель для коррекции не был введен!", "корректирующего множителя !"}},
                            {});
    if (read.outcome != SequenceRead::Complete) return;

    PopravkaDialog dialog;
    dialog.currentOffset = std::bit_cast<float>(read.values[0]);
    dialog.currentFactor = std::bit_cast<float>(read.values[1]);
    dialog.offsetText = FormatFixed(dialog.currentOffset, 7, 6, s.decimalSeparator);
    dialog.factorText = FormatFixed(dialog.currentFactor, 7, 6, s.decimalSeparator);
    dialog.fit = [&s](PopravkaDialog& d) { FitIntoDialog(s, d); };
    if (!s.ui.show(dialog)) return;

    const std::optional<float> offset = ConvertSingleField(s, dialog.offsetText);
    if (!offset) return;
    const std::optional<float> factor = ConvertSingleField(s, dialog.factorText);
    if (!factor) return;
    WriteSettingSequence(s, {{numbers.offset, std::bit_cast<std::uint32_t>(*offset)},
                             {numbers.factor, std::bit_cast<std::uint32_t>(*factor)}});
}

}  // namespace quillon
