#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/app_state.h"

namespace quillon {

// A PWM calibration: duty1, output1, code1, duty2, output2, code2 and the
// feedback coefficient (settings 0-5 and 25), each with a presence flag.
struct PwmCalibration {
    std::array<double, 7> values{};
    std::array<bool, 7> present{};
};

// Positions in PwmCalibration.
inline constexpr std::size_t kDuty1 = 0, kOutput1 = 1, kCode1 = 2, kDuty2 = 3, kOutput2 = 4, kCode2 = 5, kFeedback = 6;

// Setting 6 holds the fixed duty; this not-a-number pattern means none is fixed.
inline constexpr std::uint8_t kFixedDutySetting = 6;
inline constexpr std::uint32_t kNoFixedDuty = 0x7FA00000;

// TPWMForm: the duty of the point about to be measured.
struct PwmDutyDialog {
    static constexpr const char* kDialogName = "PwmDutyDialog";
    std::string caption = "Настройка ШИМ";
    std::string label;  // SkvagnLabel
    std::string duty;   // SkvagnEdit
};

// TPWMPointForm: the measured point, its code and the output the engineer read.
struct PwmPointDialog {
    static constexpr const char* kDialogName = "PwmPointDialog";
    std::string caption = "Ввод точки калибровки для ШИМ";
    std::string duty;                       // SkvagnEdit, disabled
    std::string code;                       // ADEdit
    std::string outputLabel = "Ток, мА :";  // TokLabel
    std::string output;                     // TokEdit
};

// TShowPWMCalibrForm: both points and the feedback coefficient.
struct PwmCalibrationDialog {
    static constexpr const char* kDialogName = "PwmCalibrationDialog";
    std::string caption = "Точки калибровки ШИМ";
    std::string duty1, code1, output1;       // Skvagn1Edit, AD1CodeEdit, Tok1Edit
    std::string duty2, code2, output2;       // Skvagn2Edit, AD2CodeEdit, Tok2Edit
    std::string output1Label = "Ток, мА :";  // Tok1Label
    std::string output2Label = "Ток, мА :";  // Tok2Label
    std::string feedback;                    // FeedbackEdit
    bool feedbackVisible = false;            // FeedbackCoefGroupBox
};

// The PWM device menu's calibration entries: edit the stored calibration, or
// take a new one at two duty points.
void EditPwmCalibration(AppState& s);
void PwmCalibrationProcedure(AppState& s);

// Shows, checks and writes a calibration, then the coefficients derived from it.
void PwmCalibrationWindow(AppState& s, const PwmCalibration& calibration);

// Writes setting 6 = `duty` (0-1) and notes what the tool now holds; true when
// written, otherwise "Не удалось установить скважность!" was shown.
bool SendFixedDuty(AppState& s, float duty, const std::string& caption);

// Writes setting 6 = no duty; true when written.
bool ReleaseFixedDuty(AppState& s, const std::string& caption);

// The feedback code of one point: F4 restarts the average, Enter, Esc or
// "Останов" ends the measurement. The floor of the mean of the good answers,
// 0 when there was none.
std::uint32_t MeasureFeedbackCode(AppState& s);

}  // namespace quillon
