#pragma once

#include "cli/arguments.h"
#include "cli/session.h"

namespace quillon::cli {

// Runs the sub-command `v` names in the session; its exit status.
int Dispatch(Session& x, const Invocation& v);

// `batch FILE`: each line a sub-command with its own options, run in order in
// this one session (the link chosen and the device identified once); stops at
// the first step that does not succeed and returns its status.
int RunBatch(Session& x, const Invocation& v);

}  // namespace quillon::cli
