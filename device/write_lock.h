#pragma once

#include <functional>
#include <string>

#include "device/device_state.h"
#include "link/outcome.h"
#include "link/user_interface.h"

namespace quillon {

// The windows' answers to the device's write lock. Which one an operation
// uses is the operation's own question.

// One warning with Yes and No: the write-lock text ending "Повторить попытку?".
AskRepeatOnLock AskLockQuestion(UserInterface& ui);

// The response code's box (a single Yes), then "Повторить попытку?" with Yes and No.
AskRepeatOnLock AskAfterLockText(UserInterface& ui);

// One write of a single request, judged: `build` puts the request in the
// buffer (again before each repeat), the write pattern sends it, and the
// answer's code decides. A lock the engineer answers Yes to is sent again; a
// request that went out and lost its answer leaves the effect unknown; an
// answer without status bytes confirms nothing.
Outcome SendJudgedWrite(DeviceState& s, const std::function<void()>& build, const std::string& progress,
                        const AskRepeatOnLock& askRepeat);

}  // namespace quillon
