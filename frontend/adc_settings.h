#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <optional>

#include "device/device_state.h"
#include "frontend/adc_wire.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// TVelkorADForm: gain (radio index of "1", "2", "32", "128") and averaging points.
struct VelkorAdcDialog {
    static constexpr const char* kDialogName = "VelkorAdcDialog";
    std::string caption = "Настройки АЦП";
    int gainIndex = 1;        // CoefUsilRadioGroup
    int averagingPoints = 9;  // CSpinEdit1, 1..9
};

// TUnitsMeasureForm: the HART unit code of the device's value.
struct UnitsMeasureDialog {
    static constexpr const char* kDialogName = "UnitsMeasureDialog";
    std::string caption = "Единицы измерения ";
    int unitCode = 0;  // CSpinEdit1, 0..255
};

// TIValueForm: the two points of the current-to-value conversion, as typed.
struct CurrentToValueDialog {
    static constexpr const char* kDialogName = "CurrentToValueDialog";
    std::string caption = "Пересчет из тока в значение";
    bool useConversion = false;      // UsePreobrCheckBox
    std::string current1;            // I0Edit
    std::string value1;              // Value0Edit
    std::string current2;            // I1Edit
    std::string value2;              // Value1Edit
    bool unitLabelsVisible = false;  // Unit1Label, Unit2Label
    std::string unitText;
};

// The memo of common unit codes beside the unit spin edit, one per line.
inline constexpr std::array<const char*, 15> kCommonUnitCodeLines{
    " 4 - мм воды",          " 5 - мм ртути",    " 7 - бары",        " 8 - миллибары",    " 9 - грамм/см2",
    "10 - кг/см2",           "11 - Паскали",     "12 - килоПаскали", "14 - атмосферы",    "32 - град. Цельсия",
    "33 - град. Фаренгейта", "36 - миллиВольты", "39 - миллиАмперы", "57 - проценты (%)", "237 - мегаПаскали",
};

// Menu command "Параметры АЦП ..." (inside the port bracket): the converter
// settings, the unit code and, where the device has it, the current-to-value
// conversion of the current-output device, each read, edited and written back.
void AdcSettingsCommand(DeviceState& s);

// The operations of the command, each on the current-output device that
// imitates a density meter (NotPossible on any other, before any request).
// Writes repeat on the write lock when `askRepeat` says so.

// The converter's gain and averaging (command 193). Done with `defaults` set
// when the device answered with an error code: it works with its defaults.
struct ConverterSettingsRead {
    VelkorConverterSettings settings;
    bool defaults = false;
};
Result<ConverterSettingsRead> ReadConverterSettings(DeviceState& s);
Report ConverterSettingsReadReport(const Result<ConverterSettingsRead>& r);
// Command 194; InputRefused for a gain code beyond 3 or averaging beyond 1-9.
Outcome WriteConverterSettings(DeviceState& s, const VelkorConverterSettings& settings,
                               const AskRepeatOnLock& askRepeat);
Report ConverterSettingsWriteReport(const Outcome& o);

// The unit code (parameter block index 109): nothing when never entered.
Result<std::optional<std::uint8_t>> ReadUnitCode(DeviceState& s);
Report UnitCodeReadReport(const Result<std::optional<std::uint8_t>>& r);
Outcome WriteUnitCode(DeviceState& s, std::uint8_t code, const AskRepeatOnLock& askRepeat);
Report UnitCodeWriteReport(const Outcome& o);

// The current-to-value conversion (commands 195, 196); NotPossible on the
// device's oldest firmware (device revision 0), which has none. Done with
// `used` clear when the device does not use it (the defaults then).
struct ConversionRead {
    CurrentToValueConversion conversion;
    bool used = true;
};
Result<ConversionRead> ReadConversion(DeviceState& s);
Report ConversionReadReport(const Result<ConversionRead>& r);
// InputRefused for a current outside 4-20 mA or a value that is not a finite number.
Outcome WriteConversion(DeviceState& s, const CurrentToValueConversion& c, const AskRepeatOnLock& askRepeat);
Report ConversionWriteReport(const Outcome& o);

}  // namespace quillon
