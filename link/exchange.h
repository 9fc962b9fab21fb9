#pragma once

#include "link/link_state.h"

namespace quillon {

// Results of one request/response transaction. There is no result 3.
enum ExchangeResult : int {
    ExchangeOk = 0,
    ExchangeNoAnswer = 1,
    ExchangeBadAnswer = 2,
    ExchangeAborted = 4,
    ExchangeBadRequest = 5,
    ExchangeNoTunnelAnswer = 6,
};

// Completes the request in the exchange buffer, sends it on the chosen link,
// receives and checks the answer. Never repeats by itself.
int Exchange(LinkState& s);

}  // namespace quillon
