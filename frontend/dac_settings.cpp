#include "frontend/dac_settings.h"

#include <array>
#include <bit>
#include <cmath>

#include "device/identification.h"
#include "device/variant.h"
#include "device/write_lock.h"
#include "frontend/dac_dialogs.h"
#include "frontend/dac_setting_io.h"
#include "frontend/output_fields.h"
#include "frontend/pwm_menu.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr const char* kNotSupported = "В этой версии датчика настройка параметров ЦАП не предусмотрена!";
constexpr const char* kOffsetFieldError = "Введены неправильные цифры в поле смещения!";
constexpr const char* kSlopeFieldError = "Введены неправильные цифры в поле наклона!";
constexpr const char* kLowFieldError = "Введены неправильные цифры в поле значения для 4мА!";
constexpr const char* kHighFieldError = "Введены неправильные цифры в поле значения для 20 мА!";
constexpr const char* kOffsetRange = "Смещение находится вне допустимого диапазона!";
constexpr const char* kSlopeNegative = "Значение наклона должно быть положительным!";
constexpr const char* kSlopeRange = "Значение наклона вне допустимого диапазона!";

std::uint32_t Bits(float v) { return std::bit_cast<std::uint32_t>(v); }
float Single(std::uint32_t bits) { return std::bit_cast<float>(bits); }
std::uint32_t Word(std::int64_t v) { return static_cast<std::uint32_t>(static_cast<std::int32_t>(v)); }

DacSettingField LowValueField(std::uint8_t number, float value) {
    return {number, "Значение для 4 mA не было введено!", "значения для 4 mA !", Bits(value)};
}
DacSettingField HighValueField(std::uint8_t number, float value) {
    return {number, "Значение для 20 mA не было введено!", "значения для 20 mA !", Bits(value)};
}
DacSettingField SlopeField(std::uint8_t number, std::uint32_t value) {
    return {number, "Значение наклона ЦАП не было введено!", "значения наклона ЦАП !", value};
}
DacSettingField OffsetField(std::uint8_t number, std::int32_t value) {
    return {number, "Значение смещения ЦАП не было введено!", "значения смещения ЦАП !",
            static_cast<std::uint32_t>(value)};
}

struct ScalingRules {
    std::int64_t offsetMin, offsetMax;
    bool floatSlope;
    // Variant A only asks for a non-negative slope; variant B bounds it.
    bool slopeBounded;
};

ScalingRules RulesFor(const DeviceIdentity& id) {
    if (isRev7(id)) return {-16383, 30000, true, false};
    return DacDefaultsBySettings(id).floatSlope ? ScalingRules{0, 131071, true, true}
                                                : ScalingRules{-32768, 32767, false, true};
}

std::optional<std::string> OffsetRefusal(const ScalingRules& rules, std::int64_t offset) {
    if (offset < rules.offsetMin || offset > rules.offsetMax) return kOffsetRange;
    return std::nullopt;
}

std::optional<std::string> SlopeRefusal(const ScalingRules& rules, double slope) {
    if (!rules.slopeBounded && !(slope >= 0.0)) return kSlopeNegative;
    if (rules.slopeBounded && !(slope >= 0.0 && slope <= 65535.0)) return kSlopeRange;
    return std::nullopt;
}

// Shows the dialog until every field is accepted; false on Cancel.
bool EnterScaling(DeviceState& s, DacScalingDialog& d, const ScalingRules& rules, DacScalingEntry& out) {
    for (;;) {
        if (!s.ui.show(d)) return false;
        const auto offset = TakeWholeField(s, d.offset, kOffsetFieldError);
        if (!offset) continue;
        if (const auto refusal = OffsetRefusal(rules, *offset)) {
            ErrorBox(s, *refusal);
            continue;
        }
        double slope = 0.0;
        if (rules.floatSlope) {
            const auto v = TakeSingleField(s, d.slope, kSlopeFieldError);
            if (!v) continue;
            slope = *v;
        } else {
            const auto v = TakeWholeField(s, d.slope, kSlopeFieldError);
            if (!v) continue;
            slope = static_cast<double>(*v);
        }
        if (const auto refusal = SlopeRefusal(rules, slope)) {
            ErrorBox(s, *refusal);
            continue;
        }
        const auto low = TakeSingleField(s, d.lowValue, kLowFieldError);
        if (!low) continue;
        const auto high = TakeSingleField(s, d.highValue, kHighFieldError);
        if (!high) continue;
        out = {*offset, slope, *low, *high};
        return true;
    }
}

// The settings the entry goes to, in the order they are written.
std::array<DacSettingValue, 4> ScalingValues(const DeviceIdentity& id, const DacScalingEntry& e) {
    const ScalingRules rules = RulesFor(id);
    const std::uint32_t slope =
        rules.floatSlope ? Bits(static_cast<float>(e.slope)) : Word(static_cast<std::int64_t>(e.slope));
    if (isRev7(id)) return {{{0, Bits(e.lowValue)}, {1, Bits(e.highValue)}, {6, slope}, {7, Word(e.offset)}}};
    return {{{17, Bits(e.lowValue)}, {18, Bits(e.highValue)}, {5, slope}, {13, Word(e.offset)}}};
}

void WriteAndReport(DeviceState& s, const DacScalingEntry& e) {
    ShowReport(s.ui, DacScalingReport(s.identity, e, WriteDacScaling(s, e, AskLockQuestion(s.ui))));
}

}  // namespace

bool supportsDacSettings(const DeviceIdentity& id) {
    if (id.softwareRevision == 3) return id.hardwareRevision != 1 && id.hardwareRevision != 2;
    return id.softwareRevision == 6 || id.softwareRevision == 7 || isDacBySettings(id);
}

DacDefaults DacDefaultsBySettings(const DeviceIdentity& id) {
    if (isAdcFamilyB(id)) return {-40.0f, 60.0f, true, Bits(20000.0f), 100};
    // Family A keeps a float slope too; it gets the default its label names.
    if (isAdcFamilyA(id)) return {-40.0f, 60.0f, true, Bits(65535.0f), 0};
    return {-40.0f, 60.0f, false, 65535u, 0};
}

Outcome WriteDacScaling(DeviceState& s, const DacScalingEntry& e, const AskRepeatOnLock& askRepeat) {
    const DeviceIdentity& id = s.identity;
    if (auto foreign = RequireOwnMake(id)) return *foreign;
    if (!supportsDacSettings(id) || !(isRev7(id) || isDacBySettings(id))) return NotPossibleOutcome(kNotSupported);
    const ScalingRules rules = RulesFor(id);
    if (const auto refusal = OffsetRefusal(rules, e.offset)) return InputRefusedOutcome("offset", *refusal);
    if (const auto refusal = SlopeRefusal(rules, e.slope)) return InputRefusedOutcome("slope", *refusal);
    // An integer slope goes as it is; a single must carry the value typed.
    if (!rules.floatSlope && e.slope != std::floor(e.slope)) return InputRefusedOutcome("slope", kSlopeFieldError);
    if (!std::isfinite(e.lowValue)) return InputRefusedOutcome("low value", kLowFieldError);
    if (!std::isfinite(e.highValue)) return InputRefusedOutcome("high value", kHighFieldError);
    const auto values = ScalingValues(id, e);
    return WriteDacSettings(s, values, askRepeat);
}

Report DacScalingReport(const DeviceIdentity& id, const DacScalingEntry& e, const Outcome& o) {
    switch (o.cause()) {
        case OutcomeKind::InputRefused: return {ErrorText(o.reason)};
        case OutcomeKind::NotPossible: return {InfoText(o.reason)};
        default: {
            const auto values = ScalingValues(id, e);
            return DacSettingsWriteReport(values, o);
        }
    }
}

void DacScalingBySettings0167(DeviceState& s) {
    std::array<DacSettingField, 4> f{LowValueField(0, 0.0f), HighValueField(1, 100.0f), SlopeField(6, Bits(4096.0f)),
                                     OffsetField(7, 0)};
    const Outcome read = ReadDacSettings(s, f);
    ShowReport(s.ui, DacSettingsReadReport(f, read));
    if (!read.done()) return;
    DacScalingDialog d;
    d.offset = std::to_string(static_cast<std::int32_t>(f[3].value));
    d.slope = SingleText(s, Single(f[2].value));
    d.lowValue = SingleText(s, Single(f[0].value));
    d.highValue = SingleText(s, Single(f[1].value));
    DacScalingEntry e;
    if (!EnterScaling(s, d, RulesFor(s.identity), e)) return;
    WriteAndReport(s, e);
}

void DacScalingBySettings17_18_5_13(DeviceState& s) {
    const DacDefaults def = DacDefaultsBySettings(s.identity);
    std::array<DacSettingField, 4> f{LowValueField(17, def.lowValue), HighValueField(18, def.highValue),
                                     SlopeField(5, def.slope), OffsetField(13, def.offset)};
    const Outcome read = ReadDacSettings(s, f);
    ShowReport(s.ui, DacSettingsReadReport(f, read));
    if (!read.done()) return;
    if (isAdcFamilyA(s.identity))
        s.ui.message(MessageIcon::Warning,
                     "Сейчас работа не через HART-канал! Настройки ЦАП действуют только для HART-интерфейса!",
                     MessageButtons::Ok);
    DacScalingDialog d;
    d.offset = std::to_string(static_cast<std::int32_t>(f[3].value));
    if (def.floatSlope) {
        d.slope = SingleText(s, Single(f[2].value));
        d.label1 = "В диапазоне [0 - 131071], по умолч 0";
    } else {
        d.slope = std::to_string(static_cast<std::int32_t>(f[2].value));
        d.label1 = "В диапазоне (-32768 - 32767), по умолч 0";
    }
    d.label2 = "1 единица ЦАП = 0.000262 mA";
    d.slopeLabel = "Наклон (1-65535), по умолч.65535:";
    d.lowValue = SingleText(s, Single(f[0].value));
    d.highValue = SingleText(s, Single(f[1].value));
    DacScalingEntry e;
    if (!EnterScaling(s, d, RulesFor(s.identity), e)) return;
    WriteAndReport(s, e);
}

void DacSettingsCommand(DeviceState& s, FrontendState& f) {
    if (!ensureIdentified(s)) return;
    const DeviceIdentity& id = s.identity;
    if (!supportsDacSettings(id)) {
        InfoBox(s, kNotSupported);
        return;
    }
    if (const auto foreign = RequireOwnMake(id)) {
        InfoBox(s, foreign->reason);
        return;
    }
    if (isRev7(id))
        DacScalingBySettings0167(s);
    else if (isRev6(id))
        PwmDeviceMenu(s, f);
    else if (isDacBySettings(id))
        DacScalingBySettings17_18_5_13(s);
    else
        DacScalingByRecord(s);
}

}  // namespace quillon
