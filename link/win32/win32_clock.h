#pragma once

#include <cstdint>

#include "link/clock.h"

namespace quillon {

// The performance counter for RTS timing and a millisecond tick for the
// answer waits. The tick counts from the clock's creation rather than from
// the machine's start, so it first wraps after 49 days of the program
// running, not of the machine; the waits compare differences, which stay
// right across a wrap anyway.
class Win32Clock : public Clock {
public:
    // Sleep wakes up to a timer tick (about 16 ms) late; the last stretch
    // before an RTS deadline is watched instead.
    static constexpr std::int64_t kPreciseStretchMs = 20;

    Win32Clock();

    std::uint32_t tickMs() override;
    std::int64_t counter() override;
    std::int64_t counterFrequency() override { return frequency_; }
    void waitPastCounter(std::int64_t deadline) override;
    void sleepMs(int milliseconds) override;

private:
    std::int64_t frequency_ = 1;
    std::uint64_t startMs_ = 0;
};

}  // namespace quillon
