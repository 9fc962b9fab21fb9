#include "frontend/pwm_menu.h"

#include <array>
#include <bit>

#include "device/variant.h"
#include "frontend/dac_dialogs.h"
#include "frontend/dac_setting_io.h"
#include "frontend/fixed_output.h"
#include "frontend/output_fields.h"
#include "frontend/pwm_calibration.h"

namespace quillon {

void PwmDeviceMenu(AppState& s) {
    for (;;) {
        PwmMenuDialog menu;
        if (!s.ui.show(menu)) return;
        switch (menu.choice) {
            case PwmMenuChoice::EditCalibration: EditPwmCalibration(s); break;
            case PwmMenuChoice::Calibrate: PwmCalibrationProcedure(s); break;
            case PwmMenuChoice::OutputRange: PwmOutputRangeSettings(s); break;
            case PwmMenuChoice::FixOutput: FixedOutputDialog(s); break;
        }
    }
}

void PwmOutputRangeSettings(AppState& s) {
    const bool voltage = isRev6Hw1(s.identity);
    std::array<DacSettingField, 2> f{{
        {17, voltage ? "Значение для 0.8 В не было введено!" : "Значение для 4 mA не было введено!",
         voltage ? "значения для 0.8 В !" : "значения для 4 mA !", std::bit_cast<std::uint32_t>(-40.0f)},
        {18, voltage ? "Значение для 3.2 В не было введено!" : "Значение для 20 mA не было введено!",
         voltage ? "значения для 3.2 В !" : "значения для 20 mA !", std::bit_cast<std::uint32_t>(60.0f)},
    }};
    if (!ReadDacSettings(s, f)) return;

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
        const std::array<DacSettingValue, 2> values{
            {{17, std::bit_cast<std::uint32_t>(*low)}, {18, std::bit_cast<std::uint32_t>(*high)}}};
        WriteDacSettings(s, values);
        return;
    }
}

}  // namespace quillon
