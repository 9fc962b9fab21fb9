#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <optional>

#include "device/device_state.h"
#include "frontend/frontend_state.h"
#include "link/outcome.h"
#include "link/report.h"

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
void EditPwmCalibration(DeviceState& s);
void PwmCalibrationProcedure(DeviceState& s, FrontendState& f);

// Shows, checks and writes a calibration, then the coefficients derived from it.
void PwmCalibrationWindow(DeviceState& s, const PwmCalibration& calibration);

// A calibration as the engineer confirmed it.
struct PwmCalibrationEntry {
    float duty1 = 0.0f, output1 = 0.0f, duty2 = 0.0f, output2 = 0.0f, feedback = 0.0f;
    std::int64_t code1 = 0, code2 = 0;
};

// The first rule the entry breaks, in the window's words, or nothing. Points
// from which the device's coefficients (settings 26-28) would not be numbers
// break a rule too.
std::optional<std::string> PwmCalibrationRefusal(const PwmCalibrationEntry& e, bool voltage, char separator);

// Settings in the order WritePwmCalibration writes them: the points, then
// the fixed duty's release and the coefficients.
inline constexpr std::uint8_t kPwmWriteOrder[] = {0, 1, 2, 3, 4, 5, 25, kFixedDutySetting, 26, 27, 28};

// Writes the points (settings 0-5, 25), then releases a fixed duty and writes
// the coefficients derived from them (settings 6, 26, 27, 28). InputRefused,
// before any request, for an entry PwmCalibrationRefusal refuses; NotPossible
// on a device without the PWM output. Partial when the writes stop part-way.
Outcome WritePwmCalibration(DeviceState& s, const PwmCalibrationEntry& e, const AskRepeatOnLock& askRepeat);
// None when done (the window closes); otherwise the failed setting's box and
// "Не удалось записать параметры!" with what the device holds now.
Report PwmCalibrationWriteReport(const Outcome& o);

// Makes the PWM device hold `duty` (0-1) through setting 6. NotPossible on
// a device without the PWM output, InputRefused for a duty out of range.
// A lost answer counts as held (recorded, effect Unknown).
Outcome FixDuty(DeviceState& s, float duty, const std::string& caption, const AskRepeatOnLock& askRepeat);
// Writes setting 6 = no duty. A lost answer keeps the recorded hold.
Outcome ReleaseDuty(DeviceState& s, const std::string& caption, const AskRepeatOnLock& askRepeat);
// None when done; the setting's box and "Не удалось установить скважность!".
Report FixedDutyReport(const Outcome& o);

// The windows' wrappers of the two: the report shown, true when done.
bool SendFixedDuty(DeviceState& s, float duty, const std::string& caption);
bool ReleaseFixedDuty(DeviceState& s, const std::string& caption);

// The feedback code of one point: F4 restarts the average, Enter, Esc or
// "Останов" ends the measurement. The floor of the mean of the good answers,
// 0 when there was none.
std::uint32_t MeasureFeedbackCode(DeviceState& s);

}  // namespace quillon
