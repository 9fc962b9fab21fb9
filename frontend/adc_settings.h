#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/app_state.h"

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
void AdcSettingsCommand(AppState& s);

}  // namespace quillon
