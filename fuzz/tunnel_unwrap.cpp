// The flow computer's answer wrapper as the receiver hands it over: any bytes,
// any count. Nothing past the count may be read, and an accepted HART answer
// must fit the request it answers.

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "fuzz/accepted_answer.h"
#include "fuzz/fuzz_link.h"
#include "link/exchange.h"
#include "link/tunnel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillon;
    if (size < fuzz::kHeaderBytes) return 0;
    fuzz::FuzzLink link(data);
    auto& b = link.s.buffer;
    if (FinishRequest(b, link.s.settings.shortAddress, link.s.identity.longAddress, link.s.settings.masterAddress) == 0)
        return 0;
    const std::size_t count = std::min(size - fuzz::kHeaderBytes, b.response.size());
    std::copy(data + fuzz::kHeaderBytes, data + fuzz::kHeaderBytes + count, b.response.begin());
    // Whatever a previous answer left behind must not be mistaken for this one.
    ASAN_POISON_MEMORY_REGION(b.response.data() + count, b.response.size() - count);
    const int result = UnwrapAnswer(link.s, count);
    ASAN_UNPOISON_MEMORY_REGION(b.response.data() + count, b.response.size() - count);
    if (result == ExchangeOk) fuzz::CheckAcceptedAnswer(b);
    return 0;
}
