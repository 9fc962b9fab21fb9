#pragma once

#include <string>

#include "link/app_state.h"

namespace quillon {

inline constexpr int kNoAttemptLimit = 0;

// Shows the progress window for as long as it lives; closes it however the
// operation ends.
class ProgressWindow {
public:
    explicit ProgressWindow(UserInterface& ui);
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;
    void close();

private:
    UserInterface& ui_;
    bool open_ = true;
};

// Repeats the request in the exchange buffer, announcing each attempt as
// `actionText` + attempt number, until it succeeds, the user aborts (4), or
// `attemptLimit` attempts are used (kNoAttemptLimit: no limit). Expects the
// progress window to be open. Returns the last exchange result.
int ExchangeWithAttempts(AppState& s, const std::string& actionText, int attemptLimit);

// The same inside its own progress window.
int RunAttemptLoop(AppState& s, const std::string& actionText, int attemptLimit);

}  // namespace quillon
