#include "device/write_lock.h"

#include "device/response_codes.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"

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

Outcome SendJudgedWrite(DeviceState& s, const std::function<void()>& build, const std::string& progress,
                        const AskRepeatOnLock& askRepeat) {
    for (;;) {
        build();
        const std::uint64_t sentBefore = s.requestsSent;
        const int exchange = RunWritePattern(s, progress);
        if (exchange != ExchangeOk) {
            const Outcome o = ExchangeOutcome(s, exchange);
            return s.requestsSent != sentBefore ? WithUnknownEffect(o) : o;
        }
        if (!AnswerHasStatus(s.buffer)) return RefusedOutcome(kNoResponseCode);
        const std::uint8_t code = ResponseCode(s.buffer);
        if (code == 0) return DoneOutcome();
        const Outcome refusal = RefusedOutcome(code);
        if (refusal.writeLocked() && askRepeat && askRepeat(refusal)) continue;
        return refusal;
    }
}

}  // namespace quillon
