// The receive path through Exchange, on either link, with whatever bytes the
// line delivers after the request. An answer the engine accepts must be one
// every reader can trust.

#include <cstddef>
#include <cstdint>

#include "fuzz/accepted_answer.h"
#include "fuzz/fuzz_link.h"
#include "link/exchange.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillon;
    if (size < fuzz::kHeaderBytes) return 0;
    fuzz::FuzzLink link(data);
    link.scheduleAnswer(data, data + fuzz::kHeaderBytes, size - fuzz::kHeaderBytes);
    const int result = Exchange(link.s);
    switch (result) {
        case ExchangeOk: fuzz::CheckAcceptedAnswer(link.s.buffer); break;
        case ExchangeNoAnswer:
        case ExchangeBadAnswer:
        case ExchangeAborted:
        case ExchangeNoTunnelAnswer: break;
        default: fuzz::Violated("result outside the exchange results");
    }
    fuzz::Require(link.s.buffer.rawAnswerCount >= 0 && link.s.buffer.rawAnswerCount <= 200, "raw answer count");
    return 0;
}
