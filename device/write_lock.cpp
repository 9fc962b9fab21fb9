#include "device/write_lock.h"

#include "device/response_codes.h"

namespace quillon {

AskRepeatOnLock AskLockQuestion(UserInterface& ui) {
    return [&ui](const Outcome&) {
        return ui.message(MessageIcon::Warning, kWriteProtectedQuestion, MessageButtons::YesNo) == MessageAnswer::Yes;
    };
}

AskRepeatOnLock AskAfterLockText(UserInterface& ui) {
    return [&ui](const Outcome& refusal) {
        ui.message(MessageIcon::Error, ResponseCodeMessageText(refusal.responseCode), MessageButtons::Yes);
        return ui.message(MessageIcon::Warning, kRepeatQuestion, MessageButtons::YesNo) == MessageAnswer::Yes;
    };
}

}  // namespace quillon
