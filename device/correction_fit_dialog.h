#pragma once

#include <optional>
#include <string>

#include "device/correction_fit.h"
#include "link/link_state.h"

namespace quillon {

// TPodborCoefForm: two reference points, each a reading and the value it should be.
struct PodborCoefDialog {
    static constexpr const char* kDialogName = "PodborCoefDialog";
    std::string caption = "Подбор коэффициентов";
    std::string real1Text = "-40";    // Real1Edit
    std::string needed1Text = "-40";  // Needed1Edit
    std::string real2Text = "60";     // Real2Edit
    std::string needed2Text = "60";   // Needed2Edit
    // Screen position of the form's top-left corner; the form reports where it was left.
    int left = 0;
    int top = 0;
};

// Opens the fitting dialog at (left, top) for a device whose present
// correction is `currentOffset`/`currentFactor`, checks what was typed (the
// dialog comes back after each refusal, which is shown at its corner), fits,
// and asks the user to accept the result. Nothing when cancelled or refused.
std::optional<CorrectionFit> AskCorrectionFit(LinkState& s, float currentOffset, float currentFactor, int left,
                                              int top);

}  // namespace quillon
