#pragma once

#include <cstdint>

#include "link/clock.h"

namespace quillon {

// The machine's monotonic clock. The counter counts nanoseconds.
class SteadyClock : public Clock {
public:
    // How long before a deadline the sleep hands over to the precise wait:
    // more than the usual wake-up latency of a sleeping thread.
    static constexpr std::int64_t kPreciseStretchNs = 200'000;

    std::uint32_t tickMs() override;
    std::int64_t counter() override;
    std::int64_t counterFrequency() override { return 1'000'000'000; }
    void waitPastCounter(std::int64_t deadline) override;
    void sleepMs(int milliseconds) override;
};

}  // namespace quillon
