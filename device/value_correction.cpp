#include "device/value_correction.h"

#include <bit>
#include <cmath>

#include "device/correction_fit_dialog.h"
#include "device/decimal_field.h"
#include "device/identification.h"
#include "device/measuring_channel.h"
#include "device/polling_format.h"
#include "device/settings_sequence.h"
#include "device/variant.h"
#include "device/write_lock.h"

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

namespace {

constexpr const char* kNoCorrection = "Данное устройство не допускает корректировку значения!";

std::optional<Outcome> NotPossibleFor(const DeviceIdentity& id) {
    if (auto foreign = RequireOwnMake(id)) return foreign;
    if (!hasValueCorrection(id)) return NotPossibleOutcome(kNoCorrection);
    return std::nullopt;
}

SettingValues ValuesOf(const DeviceIdentity& id, const ValueCorrection& c) {
    const CorrectionSettings numbers = SettingsFor(id);
    return {{numbers.offset, std::bit_cast<std::uint32_t>(c.offset)},
            {numbers.factor, std::bit_cast<std::uint32_t>(c.factor)}};
}

}  // namespace

Result<ValueCorrection> ReadValueCorrection(DeviceState& s, Report* notes) {
    if (auto refused = NotPossibleFor(s.identity)) return {*refused};
    const CorrectionSettings numbers = SettingsFor(s.identity);
    const Result<SequenceValues> read = ReadSettingValues(
        s, {{numbers.offset, std::bit_cast<std::uint32_t>(0.0f), "Добавка к значению не была введена!",
             "корректирующей добавки !"},
            {numbers.factor, std::bit_cast<std::uint32_t>(1.0f), "Множитель для коррекции не был введен!",
             "корректирующего множителя !"}});
    if (notes) notes->insert(notes->end(), read.value.notes.begin(), read.value.notes.end());
    if (!read.done()) return {read.outcome};
    return {DoneOutcome(), {std::bit_cast<float>(read.value.values[0]), std::bit_cast<float>(read.value.values[1])}};
}

Report ValueCorrectionReadReport(const Outcome& o) {
    if (o.cause() == OutcomeKind::NotPossible)
        return {o.reason == kNoCorrection ? InfoText(o.reason) : ErrorText(o.reason)};
    // A stopped read ends the command without a word.
    return SequenceReadReport(o, {});
}

Outcome WriteValueCorrection(DeviceState& s, const ValueCorrection& c, const AskRepeatOnLock& askRepeat) {
    if (auto refused = NotPossibleFor(s.identity)) return *refused;
    if (!std::isfinite(c.offset)) return InputRefusedOutcome("offset", "Поправка (добавка) должна быть числом!");
    if (!std::isfinite(c.factor)) return InputRefusedOutcome("factor", "Поправочный множитель должен быть числом!");
    return WriteSettingValues(s, ValuesOf(s.identity, c), askRepeat);
}

Report ValueCorrectionWriteReport(const DeviceIdentity& id, const ValueCorrection& c, const Outcome& o) {
    if (o.cause() == OutcomeKind::NotPossible) return ValueCorrectionReadReport(o);
    return SequenceWriteReport(ValuesOf(id, c), o);
}

void ValueCorrectionCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    if (auto refused = NotPossibleFor(s.identity)) {
        ShowReport(s.ui, ValueCorrectionReadReport(*refused));
        return;
    }
    if (!AskMeasuringChannel(s)) return;

    Report notes;
    const Result<ValueCorrection> read = ReadValueCorrection(s, &notes);
    ShowReport(s.ui, notes);
    ShowReport(s.ui, ValueCorrectionReadReport(read.outcome));
    if (!read.done()) return;

    PopravkaDialog dialog;
    dialog.currentOffset = read.value.offset;
    dialog.currentFactor = read.value.factor;
    dialog.offsetText = FormatFixed(dialog.currentOffset, 7, 6, s.decimalSeparator);
    dialog.factorText = FormatFixed(dialog.currentFactor, 7, 6, s.decimalSeparator);
    dialog.fit = [&s](PopravkaDialog& d) { FitIntoDialog(s, d); };
    if (!s.ui.show(dialog)) return;

    const std::optional<float> offset = ConvertSingleField(s, dialog.offsetText);
    if (!offset) return;
    const std::optional<float> factor = ConvertSingleField(s, dialog.factorText);
    if (!factor) return;
    const ValueCorrection c{*offset, *factor};
    const Outcome o = WriteValueCorrection(s, c, AskLockQuestion(s.ui));
    ShowReport(s.ui, ValueCorrectionWriteReport(s.identity, c, o));
}

}  // namespace quillon
