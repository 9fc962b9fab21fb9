#pragma once

// Small helpers for driving the simulated device in device tests.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace quillon::testing {

// Replaces the device's handler of `command` by fixed replies, one per
// request, the last repeated.
inline void ReplyWith(SimBench& b, std::uint8_t command, std::vector<sim::HartReply> replies) {
    auto queue = std::make_shared<std::vector<sim::HartReply>>(std::move(replies));
    auto next = std::make_shared<std::size_t>(0);
    b.device().commands()[command] = [queue, next](sim::SimDevice&, const sim::HartRequest&) {
        const std::size_t i = std::min(*next, queue->size() - 1);
        ++*next;
        return (*queue)[i];
    };
}

// Counts the requests of `command` the device handles, keeping its behaviour.
inline std::shared_ptr<int> CountRequests(SimBench& b, std::uint8_t command) {
    auto count = std::make_shared<int>(0);
    auto original = b.device().commands()[command];
    b.device().commands()[command] = [count, original](sim::SimDevice& d, const sim::HartRequest& q) {
        ++*count;
        return original ? original(d, q) : sim::HartReply{64, {}};
    };
    return count;
}

// Presses Esc during the next wait that shows a progress text starting with `prefix`.
inline void EscDuring(SimBench& b, const std::string& prefix) {
    b.ui.onProcessEvents = [&b, prefix] {
        if (!b.ui.progressTexts.empty() && b.ui.progressTexts.back().rfind(prefix, 0) == 0)
            b.state.flags.stopRequested = true;
    };
}

}  // namespace quillon::testing

namespace quillon::testing {

// Makes every request of `command` go unanswered, the others unaffected.
inline void NeverAnswer(SimBench& b, std::uint8_t command) {
    auto original = b.device().commands()[command];
    b.device().commands()[command] = [&b, original](sim::SimDevice& d, const sim::HartRequest& q) {
        b.faults().set(sim::Fault::NoAnswer);
        return original ? original(d, q) : sim::HartReply{64, {}};
    };
}

inline int CountOf(const std::vector<std::string>& texts, const std::string& text) {
    int n = 0;
    for (const auto& t : texts) n += t == text;
    return n;
}

}  // namespace quillon::testing
