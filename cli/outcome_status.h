#pragma once

#include <string>

#include "cli/output.h"
#include "cli/session.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon::cli {

// The one table from an operation's outcome to the program's exit status.
int ExitStatusOf(const Outcome& o);
// The same, except that an outcome the run's own --timeout caused is 124.
int StatusOf(const Session& x, const Outcome& o);

// Prints an operation's report to stderr; when the report says nothing of an
// outcome that is not done (a write lock the policy declined), the cause. A
// refusal always names the device's response code: a script's log must
// carry it even where the windows' text does not.
void Present(Output& out, const Report& report, const Outcome& o);
// Present, then the status.
int PresentOutcome(Session& x, const Report& report, const Outcome& o);

// The cause and the effect of an outcome in one line, for a message.
std::string OutcomeText(const Outcome& o);

// The command line's answer to the device's write lock: at a terminal the
// engineer may press the button and answer y; a script never repeats.
AskRepeatOnLock LockPolicy(Output& out, bool interactive);
AskRepeatOnLock LockPolicy(Session& x);

}  // namespace quillon::cli
