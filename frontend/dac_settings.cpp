#include "frontend/dac_settings.h"

#include <array>
#include <bit>

#include "device/identification.h"
#include "device/variant.h"
#include "frontend/dac_dialogs.h"
#include "frontend/dac_setting_io.h"
#include "frontend/output_fields.h"
#include "frontend/pwm_menu.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

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

// What the user confirmed in TDACKatPotForm.
struct ScalingEntry {
    std::int64_t offset = 0;
    std::uint32_t slope = 0;
    float lowValue = 0.0f;
    float highValue = 0.0f;
};

struct ScalingRules {
    std::int64_t offsetMin, offsetMax;
    bool floatSlope;
    // Variant A only asks for a non-negative slope; variant B bounds it.
    bool slopeBounded;
};

// Shows the dialog until every field is accepted; false on Cancel.
bool EnterScaling(AppState& s, DacScalingDialog& d, const ScalingRules& rules, ScalingEntry& out) {
    for (;;) {
        if (!s.ui.show(d)) return false;
        const auto offset = TakeWholeField(s, d.offset, kOffsetFieldError);
        if (!offset) continue;
        if (*offset < rules.offsetMin || *offset > rules.offsetMax) {
            ErrorBox(s, kOffsetRange);
            continue;
        }
        double slope = 0.0;
        if (rules.floatSlope) {
            const auto v = TakeSingleField(s, d.slope, kSlopeFieldError);
            if (!v) continue;
            slope = *v;
            out.slope = Bits(*v);
        } else {
            const auto v = TakeWholeField(s, d.slope, kSlopeFieldError);
            if (!v) continue;
            slope = static_cast<double>(*v);
            out.slope = Word(*v);
        }
        if (!rules.slopeBounded && slope < 0.0) {
            ErrorBox(s, kSlopeNegative);
            continue;
        }
        if (rules.slopeBounded && (slope < 0.0 || slope > 65535.0)) {
            ErrorBox(s, kSlopeRange);
            continue;
        }
        const auto low = TakeSingleField(s, d.lowValue, kLowFieldError);
        if (!low) continue;
        const auto high = TakeSingleField(s, d.highValue, kHighFieldError);
        if (!high) continue;
        out.offset = *offset;
        out.lowValue = *low;
        out.highValue = *high;
        return true;
    }
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

void DacScalingBySettings0167(AppState& s) {
    std::array<DacSettingField, 4> f{LowValueField(0, 0.0f), HighValueField(1, 100.0f), SlopeField(6, Bits(4096.0f)),
                                     OffsetField(7, 0)};
    if (!ReadDacSettings(s, f)) return;
    DacScalingDialog d;
    d.offset = std::to_string(static_cast<std::int32_t>(f[3].value));
    d.slope = SingleText(s, Single(f[2].value));
    d.lowValue = SingleText(s, Single(f[0].value));
    d.highValue = SingleText(s, Single(f[1].value));
    ScalingEntry e;
    if (!EnterScaling(s, d, {-16383, 30000, true, false}, e)) return;
    const std::array<DacSettingValue, 4> values{
        {{0, Bits(e.lowValue)}, {1, Bits(e.highValue)}, {6, e.slope}, {7, Word(e.offset)}}};
    WriteDacSettings(s, values);
}

void DacScalingBySettings17_18_5_13(AppState& s) {
    const DacDefaults def = DacDefaultsBySettings(s.identity);
    std::array<DacSettingField, 4> f{LowValueField(17, def.lowValue), HighValueField(18, def.highValue),
                                     SlopeField(5, def.slope), OffsetField(13, def.offset)};
    if (!ReadDacSettings(s, f)) return;
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
    const ScalingRules rules =
        def.floatSlope ? ScalingRules{0, 131071, true, true} : ScalingRules{-32768, 32767, false, true};
    ScalingEntry e;
    if (!EnterScaling(s, d, rules, e)) return;
    const std::array<DacSettingValue, 4> values{
        {{17, Bits(e.lowValue)}, {18, Bits(e.highValue)}, {5, e.slope}, {13, Word(e.offset)}}};
    WriteDacSettings(s, values);
}

void DacSettingsCommand(AppState& s) {
    if (!ensureIdentified(s)) return;
    const DeviceIdentity& id = s.identity;
    if (!supportsDacSettings(id)) {
        InfoBox(s, "В этой версии датчика настройка параметров ЦАП не предусмотрена!");
        return;
    }
    if (isRev7(id))
        DacScalingBySettings0167(s);
    else if (isRev6(id))
        PwmDeviceMenu(s);
    else if (isDacBySettings(id))
        DacScalingBySettings17_18_5_13(s);
    else
        DacScalingByRecord(s);
}

}  // namespace quillon
