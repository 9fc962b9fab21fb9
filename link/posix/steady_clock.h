#pragma once

#include <cstdint>

#include "link/clock.h"

namespace quillon {

// The machine's monotonic clock. The counter counts nanoseconds.
class SteadyClock : public Clock {
public:
    // How long before a deadline the sleep hands over to the precise wait:
    // more than the wake-up latency of a sleeping thread, which on a virtual
    // machine after a long sleep is often a few hundred microseconds. A
    // millisecond of watching per frame costs a few percent of a core at most.
    static constexpr std::int64_t kPreciseStretchNs = 1'000'000;

    std::uint32_t tickMs() override;
    std::int64_t counter() override;
    std::int64_t counterFrequency() override { return 1'000'000'000; }
    void waitPastCounter(std::int64_t deadline) override;
    void sleepMs(int milliseconds) override;
};

}  // namespace quillon
