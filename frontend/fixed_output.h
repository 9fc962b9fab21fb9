#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"

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
void FixCurrentMenuCommand(AppState& s);

// The dialog and command 40; also the PWM device menu's entry.
void FixedOutputDialog(AppState& s);

// The value the fixed-output dialog offers: the last one sent to this
// identification of the device, else the start of the range.
double OfferedFixedOutput(const DeviceIdentity& id, const FrontendState& f);

// The value sent for a typed v: v + 0.000001 as a single, where an exact 20
// that the addition pushes above 20 stays 20.
float FixedOutputRequestValue(double typed);

inline constexpr const char* kFixedOutputProgressText = "Пишу режим тока: ";

// Sends command 40 with `value` (0.0 leaves the mode) to the device the long
// frame addresses, in up to 5 attempts, without a box; the exchange result.
int ExchangeFixedOutput(AppState& s, float value);
// Whether the answer in the buffer says the device took command 40: it has
// its status bytes and a response code of 0.
bool FixedOutputAccepted(const ExchangeBuffer& b);

// Sends command 40 to the identified device and judges its answer: a refusal
// is shown with its response-code text (the write lock offers a repeat) and
// nothing is held; no answer shows "Не могу выполнить запрос!". On success
// updates `lastFixedOutput` and what the tool holds.
bool SendFixedOutput(AppState& s, float value);

}  // namespace quillon
