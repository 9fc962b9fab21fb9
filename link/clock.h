#pragma once

#include <cstdint>

namespace quillon {

// Time as the link sees it: a wrapping millisecond tick for answer waits and a
// high-resolution counter for RTS timing. Tests replace it with a virtual clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t tickMs() = 0;
    virtual std::int64_t counter() = 0;
    virtual std::int64_t counterFrequency() = 0;
    // Returns as soon as counter() is greater than `deadline`, as precisely as
    // the platform allows and without spinning for longer than it must.
    virtual void waitPastCounter(std::int64_t deadline) = 0;
    virtual void sleepMs(int milliseconds) = 0;
};

}  // namespace quillon
