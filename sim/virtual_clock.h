#pragma once

#include <cstdint>

#include "link/clock.h"

namespace quillon::sim {

// Deterministic time for tests: advances only when someone waits. The
// high-resolution counter runs at 1 MHz (one tick per microsecond).
class VirtualClock : public Clock {
public:
    static constexpr std::int64_t kFrequency = 1'000'000;

    std::uint32_t tickMs() override { return static_cast<std::uint32_t>(nowUs_ / 1000); }
    std::int64_t counter() override { return nowUs_; }
    std::int64_t counterFrequency() override { return kFrequency; }
    void waitPastCounter(std::int64_t deadline) override {
        if (nowUs_ <= deadline) nowUs_ = deadline + 1;
    }
    void sleepMs(int milliseconds) override {
        if (milliseconds > 0) nowUs_ += static_cast<std::int64_t>(milliseconds) * 1000;
    }

    std::int64_t nowUs() const { return nowUs_; }
    void advanceUs(std::int64_t us) { nowUs_ += us; }
    void advanceToUs(std::int64_t us) {
        if (us > nowUs_) nowUs_ = us;
    }
    // Starts the clock at an arbitrary point, e.g. just before the tick wraps.
    void setNowUs(std::int64_t us) { nowUs_ = us; }

private:
    std::int64_t nowUs_ = 0;
};

}  // namespace quillon::sim
