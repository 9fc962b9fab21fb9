#pragma once

// What every reader of an answer relies on once an exchange has accepted it,
// worked out from the request alone, independently of the receiver's filter.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "link/exchange_buffer.h"

namespace quillon::fuzz {

[[noreturn]] inline void Violated(const char* what) {
    std::fprintf(stderr, "accepted answer breaks the rule: %s\n", what);
    std::abort();
}

inline void Require(bool holds, const char* what) {
    if (!holds) Violated(what);
}

// `b.request` holds the finished request the answer was accepted for.
inline void CheckAcceptedAnswer(const ExchangeBuffer& b) {
    const auto& q = b.request;
    const auto& r = b.response;
    const bool longRequest = q[0] == 0x82;
    Require(r[0] == (longRequest ? 0x86 : 0x06), "frame type of the answer differs from the request's");
    const std::size_t length = longRequest ? r[7] + 9u : r[3] + 5u;
    Require(length <= r.size(), "answer longer than the buffer");
    Require(b.responseCount == length, "accepted count differs from the answer's own length");
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < length; ++i) x ^= r[i];
    Require(x == 0, "check byte");
    if (longRequest) {
        Require((r[1] & 0x7F) == (q[1] & 0x7F), "first long-address byte");
        const bool anyDevice = q[6] == 19 || (q[6] == 192 && q[8] == 1);
        if (!anyDevice)
            for (std::size_t k = 2; k <= 5; ++k) Require(r[k] == q[k], "long address");
    } else {
        const std::uint8_t expected = q[1] & 0x1F;
        if (q[2] != 119 && expected != 16) Require((r[1] & 0x1F) == expected, "short address");
    }
}

}  // namespace quillon::fuzz
