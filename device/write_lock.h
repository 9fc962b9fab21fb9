#pragma once

#include "link/outcome.h"
#include "link/user_interface.h"

namespace quillon {

// The windows' answers to the device's write lock. Which one an operation
// uses is the operation's own question.

// One warning with Yes and No: the write-lock text ending "Повторить попытку?".
AskRepeatOnLock AskLockQuestion(UserInterface& ui);

// The response code's box (a single Yes), then "Повторить попытку?" with Yes and No.
AskRepeatOnLock AskAfterLockText(UserInterface& ui);

}  // namespace quillon
