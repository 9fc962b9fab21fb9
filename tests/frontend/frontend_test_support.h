#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "support/sim_fixture.h"

namespace quillon::testing {

using Bytes = std::vector<std::uint8_t>;

// Records the data of every request of `command` the device handles, keeping
// its behaviour.
inline std::shared_ptr<std::vector<Bytes>> RecordRequests(SimBench& b, std::uint8_t command) {
    auto seen = std::make_shared<std::vector<Bytes>>();
    auto original = b.device().commands()[command];
    b.device().commands()[command] = [seen, original](sim::SimDevice& d, const sim::HartRequest& q) {
        seen->push_back(q.data);
        return original ? original(d, q) : sim::HartReply{64, {}};
    };
    return seen;
}

}  // namespace quillon::testing
