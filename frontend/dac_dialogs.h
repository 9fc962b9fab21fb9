#pragma once

#include <string>

namespace quillon {

// TDACKatPotForm: offset and slope of the DAC and the two values at the ends of
// the output range. The PWM output range shows only the two values.
struct DacScalingDialog {
    static constexpr const char* kDialogName = "DacScalingDialog";
    std::string caption = "Параметры ЦАП";
    std::string offsetLabel = "Значение смещения в кодах ЦАП :";  // SmeLabel
    std::string label1 = "Желательно (-1024 - 8192)";
    std::string label2 = "1 единица ЦАП = 0.000244mA";
    std::string slopeLabel = "Значение наклона DAC/мА :";                      // NaklonLabel
    std::string lowValueLabel = "Значение величины, соответствующее 4mA :";    // Val4MALabel
    std::string highValueLabel = "Значение величины, соответствующее 20mA :";  // Val20MALabel
    // SmeEdit, NaklonEdit and their labels, Label1 and Label2.
    bool scalingVisible = true;
    // The edits, as shown and as typed.
    std::string offset;     // SmeEdit
    std::string slope;      // NaklonEdit
    std::string lowValue;   // Val4MAEdit
    std::string highValue;  // Val20MAEdit
};

// TDACForm: offset and slope of a DAC kept in the parameter block.
struct DacRecordDialog {
    static constexpr const char* kDialogName = "DacRecordDialog";
    std::string caption = "Настройки ЦАП";
    std::string offsetLabel = "Значение смещения в кодах ЦАП :";
    std::string label1 = "Желательно (-1024 - 8192)";
    std::string label2 = "1 единица ЦАП = 0.000244mA";
    std::string slopeLabel = "Значение наклона DAC/Цельсий :";  // NaklonLabel
    std::string label3 = "Для датчика (-40 - +60) = 655.36";
    std::string offset;  // SmeEdit
    std::string slope;   // NaklonEdit
};

// TSelectPWMDoingsForm: each of its four buttons confirms with its choice.
enum class PwmMenuChoice { EditCalibration = 0, Calibrate = 1, OutputRange = 2, FixOutput = 3 };

struct PwmMenuDialog {
    static constexpr const char* kDialogName = "PwmMenuDialog";
    std::string caption = "Работа с калибровкой ШИМ";
    PwmMenuChoice choice = PwmMenuChoice::EditCalibration;
};

}  // namespace quillon
