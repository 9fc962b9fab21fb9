#include "link/attempt_loop.h"

#include "link/exchange.h"
#include "link/texts.h"

namespace quillon {

ProgressWindow::ProgressWindow(UserInterface& ui) : ui_(ui) { ui_.showProgress(texts::kProgressInitialText); }

ProgressWindow::~ProgressWindow() { close(); }

void ProgressWindow::close() {
    if (open_) ui_.closeProgress();
    open_ = false;
}

int ExchangeWithAttempts(LinkState& s, const std::string& actionText, int attemptLimit) {
    int result = ExchangeNoAnswer;
    for (int attempt = 1; attemptLimit == kNoAttemptLimit || attempt <= attemptLimit; ++attempt) {
        s.ui.setProgressText(actionText + std::to_string(attempt));
        result = Exchange(s);
        // A malformed request would only fail again, each time with its message.
        if (result == ExchangeOk || result == ExchangeAborted || result == ExchangeBadRequest) break;
    }
    return result;
}

int RunAttemptLoop(LinkState& s, const std::string& actionText, int attemptLimit) {
    ProgressWindow window(s.ui);
    return ExchangeWithAttempts(s, actionText, attemptLimit);
}

int RunReadPattern(LinkState& s, const std::string& text) {
    ProgressWindow window(s.ui);
    s.ui.setProgressText(text);
    int result = ExchangeNoAnswer;
    for (int attempt = 1; attempt <= kReadPatternAttempts; ++attempt) {
        result = Exchange(s);
        if (result == ExchangeOk || result == ExchangeAborted || result == ExchangeBadRequest) break;
    }
    return result;
}

int RunWritePattern(LinkState& s, const std::string& text) { return RunAttemptLoop(s, text, kNoAttemptLimit); }

}  // namespace quillon
