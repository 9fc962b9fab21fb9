#pragma once

#include <string>

#include "link/link_state.h"

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
int ExchangeWithAttempts(LinkState& s, const std::string& actionText, int attemptLimit);

// The same inside its own progress window.
int RunAttemptLoop(LinkState& s, const std::string& actionText, int attemptLimit);

// The two patterns the settings commands of the analog front-end share.
// Read: the text alone (no attempt number), at most 5 attempts, stopping
// early on success or abort. Write: the text followed by the attempt number,
// no limit, until success or abort. Both in their own progress window; both
// return the last exchange result (anything but 0 is a failed exchange).
inline constexpr int kReadPatternAttempts = 5;
int RunReadPattern(LinkState& s, const std::string& text);
int RunWritePattern(LinkState& s, const std::string& text);

}  // namespace quillon
