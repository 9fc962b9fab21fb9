#include "link/posix/rts_wait.h"

#include "link/posix/monotonic.h"

namespace quillon {

namespace {

// How long before a deadline the sleep hands over to watching the clock: more
// than the wake-up latency of a sleeping thread, which on a virtual machine
// after a long sleep is often a few hundred microseconds.
constexpr std::int64_t kWatchStretchNs = 1'000'000;

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__) || defined(__arm__)
    asm volatile("yield");
#endif
}

}  // namespace

std::string_view RtsWaitName(RtsWait how) {
    switch (how) {
        case RtsWait::SleepThenWatch: return "sleep-then-watch";
        case RtsWait::AbsoluteSleep: return "absolute-sleep";
    }
    return "?";
}

std::optional<RtsWait> RtsWaitFromName(std::string_view name) {
    for (RtsWait how : {RtsWait::SleepThenWatch, RtsWait::AbsoluteSleep})
        if (RtsWaitName(how) == name) return how;
    return std::nullopt;
}

void WaitPastNanoseconds(RtsWait how, std::int64_t deadline) {
    if (how == RtsWait::SleepThenWatch) {
        const std::int64_t wakeAt = deadline - kWatchStretchNs;
        if (MonotonicNanoseconds() < wakeAt) SleepUntilNanoseconds(wakeAt);
        while (MonotonicNanoseconds() <= deadline) CpuRelax();
        return;
    }
    // The kernel wakes the thread at the first timer tick at or past the
    // requested time, so asking for one nanosecond past the deadline is enough;
    // the loop only guards against a wake-up the clock does not confirm.
    while (MonotonicNanoseconds() <= deadline) SleepUntilNanoseconds(deadline + 1);
}

}  // namespace quillon
