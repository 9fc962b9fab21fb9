#include "link/outcome.h"

#include "link/exchange.h"
#include "link/link_state.h"
#include "link/texts.h"

namespace quillon {

bool Outcome::writeLocked() const {
    return cause() == OutcomeKind::Refused && (responseCode == 7 || responseCode == 16);
}

Outcome DoneOutcome() { return {}; }

Outcome RefusedOutcome(std::uint8_t responseCode) {
    Outcome o;
    o.kind = o.stoppedBy = OutcomeKind::Refused;
    o.responseCode = responseCode;
    return o;
}

Outcome InputRefusedOutcome(std::string field, std::string reason) {
    Outcome o;
    o.kind = o.stoppedBy = OutcomeKind::InputRefused;
    o.field = std::move(field);
    o.reason = std::move(reason);
    return o;
}

Outcome NotPossibleOutcome(std::string reason) {
    Outcome o;
    o.kind = o.stoppedBy = OutcomeKind::NotPossible;
    o.reason = std::move(reason);
    return o;
}

Outcome ExchangeOutcome(const LinkState& s, int exchangeResult) {
    if (exchangeResult == ExchangeOk) return DoneOutcome();
    if (exchangeResult == ExchangeBadRequest) return InputRefusedOutcome({}, texts::kBadRequest);
    Outcome o;
    o.exchange = exchangeResult;
    // The link ends a wait itself when it cannot go on (no port, a server that
    // is gone); only a wait the engineer stopped counts as interrupted.
    if (exchangeResult == ExchangeAborted && s.linkFailure.empty()) {
        o.kind = o.stoppedBy = OutcomeKind::Interrupted;
        return o;
    }
    o.kind = o.stoppedBy = OutcomeKind::NoAnswer;
    o.reason = s.linkFailure;
    return o;
}

Outcome WithUnknownEffect(Outcome o) {
    if (o.cause() == OutcomeKind::NoAnswer || o.cause() == OutcomeKind::Interrupted) o.effect = DeviceEffect::Unknown;
    return o;
}

Outcome PartialOutcome(Outcome stop, int done, int total, std::string left) {
    if (done <= 0) return stop;
    Outcome o = std::move(stop);
    o.stoppedBy = o.cause();
    o.kind = OutcomeKind::Partial;
    o.stepsDone = done;
    o.stepsTotal = total;
    o.effect = DeviceEffect::Partial;
    o.effectText = std::move(left);
    return o;
}

bool NeverRepeat(const Outcome&) { return false; }

}  // namespace quillon
