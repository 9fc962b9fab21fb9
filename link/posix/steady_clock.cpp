#include "link/posix/steady_clock.h"

#include "link/posix/monotonic.h"

namespace quillon {

std::uint32_t SteadyClock::tickMs() { return static_cast<std::uint32_t>(MonotonicNanoseconds() / 1'000'000); }

std::int64_t SteadyClock::counter() { return MonotonicNanoseconds(); }

void SteadyClock::waitPastCounter(std::int64_t deadline) { WaitPastNanoseconds(rtsWait_, deadline); }

void SteadyClock::sleepMs(int milliseconds) {
    if (milliseconds > 0) SleepNanoseconds(static_cast<std::int64_t>(milliseconds) * 1'000'000);
}

}  // namespace quillon
