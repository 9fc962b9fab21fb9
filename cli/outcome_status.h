#pragma once

#include "cli/output.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon::cli {

// The one table from an operation's outcome to the program's exit status.
int ExitStatusOf(const Outcome& o);

// Prints an operation's report to stderr; when the report says nothing of an
// outcome that is not done (a write lock the policy declined), the cause.
void Present(Output& out, const Report& report, const Outcome& o);

// The command line's answer to the device's write lock: at a terminal the
// engineer may press the button and answer y; a script never repeats.
AskRepeatOnLock LockPolicy(Output& out, bool interactive);

}  // namespace quillon::cli
