#pragma once

#include <optional>
#include <string>
#include <vector>

#include "device/device_state.h"
#include "frontend/frontend_state.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// TFixTokForm: leave or enter the fixed-output mode, and the value to hold.
struct FixTokDialog {
    static constexpr const char* kDialogName = "FixTokDialog";
    std::string caption = "Ток датчика";
    std::string modeTitle = "Действия :";  // FixedModeRadioGroup
    std::vector<std::string> modes{"Выйти из режима фиксированного тока", "Войти в режим фиксированного тока"};
    int mode = 0;                                           // 0 leave, 1 enter
    std::string valueLabel = "Значение тока (4-20), мА :";  // TokLabel
    std::string value;                                      // FixedTokEdit
};

// Menu command "Фиксировать ток ..." (inside the port bracket).
void FixCurrentMenuCommand(DeviceState& s, FrontendState& f);

// The dialog and command 40; also the PWM device menu's entry.
void FixedOutputDialog(DeviceState& s, FrontendState& f);

// The value the fixed-output dialog offers: the last one sent to this
// identification of the device, else the start of the range.
double OfferedFixedOutput(const DeviceIdentity& id, const FrontendState& f);

// The value sent for a typed v: v + 0.000001 as a single, where an exact 20
// that the addition pushes above 20 stays 20.
float FixedOutputRequestValue(double typed);

inline constexpr const char* kFixedOutputProgressText = "Пишу режим тока: ";

// Sends command 40 with `value` (0.0 leaves the mode) to the device the long
// frame addresses, in up to 5 attempts, without a box; the exchange result.
int ExchangeFixedOutput(DeviceState& s, float value);
// Whether the answer in the buffer says the device took command 40: it has
// its status bytes and a response code of 0.
bool FixedOutputAccepted(const ExchangeBuffer& b);

// Makes the identified device hold its loop output at `typed` (mA; V on the
// voltage variant), sent as FixedOutputRequestValue(typed). NotPossible on a
// variant without the mode; InputRefused for a value out of 4-20 mA or one a
// single cannot carry. Done: held, and the hold recorded. A request whose
// answer was lost leaves the device possibly holding: the hold is recorded
// all the same and the outcome's effect is Unknown.
Outcome FixLoopOutput(DeviceState& s, FrontendState& f, double typed, const AskRepeatOnLock& askRepeat);
// Ends the identified device's fixed mode (command 40 with 0.0). A lost
// answer keeps the recorded hold: the device may still hold.
Outcome LeaveFixedLoopOutput(DeviceState& s, FrontendState& f, const AskRepeatOnLock& askRepeat);
// The boxes of either: none when done; the response code with a Yes button
// for a refusal (none for the write lock, whose question said it).
Report FixedOutputReport(const Outcome& o);

}  // namespace quillon
