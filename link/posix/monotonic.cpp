#include "link/posix/monotonic.h"

#include <time.h>

#include <cerrno>

namespace quillon {

namespace {
constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
}

std::int64_t MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
}

void SleepNanoseconds(std::int64_t nanoseconds) {
    // An absolute wake-up time keeps repeated interruptions from stretching the sleep.
    if (nanoseconds > 0) SleepUntilNanoseconds(MonotonicNanoseconds() + nanoseconds);
}

void SleepUntilNanoseconds(std::int64_t until) {
    timespec wake{};
    wake.tv_sec = static_cast<time_t>(until / kNanosecondsPerSecond);
    wake.tv_nsec = static_cast<long>(until % kNanosecondsPerSecond);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr) == EINTR) {
    }
}

}  // namespace quillon
