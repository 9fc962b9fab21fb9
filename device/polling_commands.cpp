#include "device/dialogs.h"
#include "device/identification.h"
#include "device/polling.h"
#include "device/outcome_text.h"
#include "device/variant.h"
#include "link/exchange.h"

namespace quillon {

namespace {

constexpr int kChoiceRequest1 = 0;


// How this maker's devices lay out command 3 beyond the universal answer;
// another maker's device is polled the universal way.
bool PollsExtended(const DeviceIdentity& id) { return isOwnMake(id) && pollsWithExtendedRequest(id); }

}  // namespace

Outcome PollRunJudge::record(const LinkState& s, int exchangeResult) {
    if (exchangeResult == ExchangeOk) {
        unansweredInRow_ = 0;
        return DoneOutcome();
    }
    const Outcome o = ExchangeOutcome(s, exchangeResult);
    // The link ending a wait itself (no port, a server gone) ends the run.
    if (exchangeResult == ExchangeAborted) {
        if (o.cause() == OutcomeKind::NoAnswer) linkLost_ = o;
        return o;
    }
    ++unansweredInRow_;
    lastFailure_ = o;
    return o;
}

Outcome PollRunJudge::verdict() const {
    if (!linkLost_.done()) return linkLost_;
    if (limit_ > 0 && unansweredInRow_ >= limit_) return lastFailure_;
    return DoneOutcome();
}

Report PollRunReport(const Outcome& o) {
    if (o.done() || o.cause() == OutcomeKind::Interrupted) return {};
    return {ErrorText(CauseText(o))};
}

void StatistikaCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    if (isOwnMake(s.identity) && isRev16(s.identity)) {
        RequestChoiceDialog choice;
        if (!s.ui.show(choice)) return;
        if (choice.choice == kChoiceRequest1)
            RunSimplePoll(s, PollRequest::Command1);
        else
            RunExtendedPoll(s);
        return;
    }
    if (PollsExtended(s.identity))
        RunExtendedPoll(s);
    else
        RunSimplePoll(s, PollRequest::Command1);
}

void AskReq3Command(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    if (PollsExtended(s.identity))
        RunExtendedPoll(s);
    else
        RunSimplePoll(s, PollRequest::Command3);
}

}  // namespace quillon
