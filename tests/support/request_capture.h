#pragma once

// Records what the simulated device was asked, keeping its behaviour.

#include <cstdint>
#include <memory>
#include <vector>

#include "support/sim_fixture.h"

namespace quillon::testing {

using Bytes = std::vector<std::uint8_t>;

// The request data of every `command` the device handles, in order.
inline std::shared_ptr<std::vector<Bytes>> CaptureRequests(SimBench& b, std::uint8_t command) {
    auto seen = std::make_shared<std::vector<Bytes>>();
    auto original = b.device().commands()[command];
    b.device().commands()[command] = [seen, original](sim::SimDevice& d, const sim::HartRequest& q) {
        seen->push_back(q.data);
        return original ? original(d, q) : sim::HartReply{64, {}};
    };
    return seen;
}

// The setting numbers (first data byte) of the captured requests.
inline std::vector<int> SettingNumbers(const std::vector<Bytes>& requests) {
    std::vector<int> out;
    for (const auto& r : requests) out.push_back(r.empty() ? -1 : r[0]);
    return out;
}

}  // namespace quillon::testing
