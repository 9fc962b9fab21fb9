#include "frontend/pwm_menu.h"

#include <array>
#include <bit>

#include <cmath>

#include "device/variant.h"
#include "device/write_lock.h"
#include "frontend/dac_dialogs.h"
#include "frontend/dac_setting_io.h"
#include "frontend/fixed_output.h"
#include "frontend/output_fields.h"
#include "frontend/pwm_calibration.h"

namespace quillon {

namespace {

constexpr std::uint8_t kLowSetting = 17;
constexpr std::uint8_t kHighSetting = 18;

std::array<DacSettingValue, 2> RangeValues(float low, float high) {
    return {{{kLowSetting, std::bit_cast<std::uint32_t>(low)}, {kHighSetting, std::bit_cast<std::uint32_t>(high)}}};
}

}  // namespace

Outcome WritePwmOutputRange(DeviceState& s, float low, float high, const AskRepeatOnLock& askRepeat) {
    if (auto foreign = RequireOwnMake(s.identity)) return *foreign;
    if (!isRev6(s.identity)) return NotPossibleOutcome("В этой версии датчика нет выхода ШИМ!");
    if (!std::isfinite(low)) return InputRefusedOutcome("low value", "Значение для начала диапазона не является числом!");
    if (!std::isfinite(high)) return InputRefusedOutcome("high value", "Значение для конца диапазона не является числом!");
    const auto values = RangeValues(low, high);
    return WriteDacSettings(s, values, askRepeat);
}

Report PwmOutputRangeReport(const Outcome& o) {
    if (o.cause() == OutcomeKind::InputRefused) return {ErrorText(o.reason)};
    if (o.cause() == OutcomeKind::NotPossible) return {InfoText(o.reason)};
    const auto values = RangeValues(0.0f, 0.0f);
    return DacSettingsWriteReport(values, o);
}

void PwmDeviceMenu(DeviceState& s, FrontendState& f) {
    for (;;) {
        PwmMenuDialog menu;
        if (!s.ui.show(menu)) return;
        switch (menu.choice) {
            case PwmMenuChoice::EditCalibration: EditPwmCalibration(s); break;
            case PwmMenuChoice::Calibrate: PwmCalibrationProcedure(s, f); break;
            case PwmMenuChoice::OutputRange: PwmOutputRangeSettings(s); break;
            case PwmMenuChoice::FixOutput: FixedOutputDialog(s, f); break;
        }
    }
}

void PwmOutputRangeSettings(DeviceState& s) {
    const bool voltage = isRev6Hw1(s.identity);
    std::array<DacSettingField, 2> f{{
        {17, voltage ? "Значение для 0.8 В не было введено!" : "Значение для 4 mA не было введено!",
         voltage ? "значения для 0.8 В !" : "значения для 4 mA !", std::bit_cast<std::uint32_t>(-40.0f)},
        {18, voltage ? "Значение для 3.2 В не было введено!" : "Значение для 20 mA не было введено!",
         voltage ? "значения для 3.2 В !" : "значения для 20 mA !", std::bit_cast<std::uint32_t>(60.0f)},
    }};
    const Outcome read = ReadDacSettings(s, f);
    ShowReport(s.ui, DacSettingsReadReport(f, read));
    if (!read.done()) return;

    DacScalingDialog d;
    d.scalingVisible = false;
    if (voltage) {
        d.lowValueLabel = "Значение величины, соответствующее 0.8 В";
        d.highValueLabel = "Значение величины, соответствующее 3.2 В";
    }
    d.lowValue = SingleText(s, std::bit_cast<float>(f[0].value));
    d.highValue = SingleText(s, std::bit_cast<float>(f[1].value));
    const char* lowError = voltage ? "Введены неправильные цифры в поле значения для 0.8 В!"
                                   : "Введены неправильные цифры в поле значения для 4 мА!";
    const char* highError = voltage ? "Введены неправильные цифры в поле значения для 3.2 В!"
                                    : "Введены неправильные цифры в поле значения для 20 мА!";
    for (;;) {
        if (!s.ui.show(d)) return;
        const auto low = TakeSingleField(s, d.lowValue, lowError);
        if (!low) continue;
        const auto high = TakeSingleField(s, d.highValue, highError);
        if (!high) continue;
        ShowReport(s.ui, PwmOutputRangeReport(WritePwmOutputRange(s, *low, *high, AskLockQuestion(s.ui))));
        return;
    }
}

}  // namespace quillon
