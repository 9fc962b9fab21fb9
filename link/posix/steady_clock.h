#pragma once

#include <cstdint>

#include "link/clock.h"
#include "link/posix/rts_wait.h"

namespace quillon {

// The machine's monotonic clock. The counter counts nanoseconds.
class SteadyClock : public Clock {
public:
    explicit SteadyClock(RtsWait rtsWait = RtsWait::SleepThenWatch) : rtsWait_(rtsWait) {}

    std::uint32_t tickMs() override;
    std::int64_t counter() override;
    std::int64_t counterFrequency() override { return 1'000'000'000; }
    void waitPastCounter(std::int64_t deadline) override;
    void sleepMs(int milliseconds) override;

    RtsWait rtsWait() const { return rtsWait_; }
    void setRtsWait(RtsWait how) { rtsWait_ = how; }

private:
    RtsWait rtsWait_;
};

}  // namespace quillon
