#include "link/posix/steady_clock.h"

#include <time.h>

#include "link/posix/monotonic.h"

namespace quillon {

namespace {

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__) || defined(__arm__)
    asm volatile("yield");
#endif
}

}  // namespace

std::uint32_t SteadyClock::tickMs() { return static_cast<std::uint32_t>(MonotonicNanoseconds() / 1'000'000); }

std::int64_t SteadyClock::counter() { return MonotonicNanoseconds(); }

void SteadyClock::waitPastCounter(std::int64_t deadline) {
    // RTS must fall within microseconds of the deadline, but a frame may take
    // a tenth of a second: sleep through all but the last stretch, then watch
    // the clock for the rest.
    const std::int64_t wakeAt = deadline - kPreciseStretchNs;
    if (MonotonicNanoseconds() < wakeAt) SleepUntilNanoseconds(wakeAt);
    while (MonotonicNanoseconds() <= deadline) CpuRelax();
}

void SteadyClock::sleepMs(int milliseconds) {
    if (milliseconds > 0) SleepNanoseconds(static_cast<std::int64_t>(milliseconds) * 1'000'000);
}

}  // namespace quillon
