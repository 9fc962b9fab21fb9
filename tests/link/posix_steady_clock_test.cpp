#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "link/posix/steady_clock.h"
#include "posix_test_support.h"

namespace quillon {
namespace {

using testing::ThreadCpuMs;

TEST(PosixSteadyClock, WaitPastCounterEndsJustAfterTheDeadline) {
    SteadyClock clock;
    ASSERT_EQ(clock.counterFrequency(), 1'000'000'000);
    // Inside the precise stretch, across it, and well beyond it; one already past.
    for (const std::int64_t aheadNs : {-1'000'000LL, 0LL, 50'000LL, 300'000LL, 2'000'000LL, 20'000'000LL}) {
        // A busy machine may preempt any single wait; the best of a few shows the clock's own precision.
        std::int64_t best = INT64_MAX;
        for (int trial = 0; trial < 5; ++trial) {
            const std::int64_t deadline = clock.counter() + aheadNs;
            clock.waitPastCounter(deadline);
            const std::int64_t lateness = clock.counter() - deadline;
            EXPECT_GT(lateness, 0) << aheadNs;
            best = std::min(best, lateness);
        }
        if (aheadNs > 0) {
            EXPECT_LT(best, 2'000'000) << aheadNs;
        }
    }
}

TEST(PosixSteadyClock, LongWaitsSleepInsteadOfSpinning) {
    SteadyClock clock;
    const double cpuBefore = ThreadCpuMs();
    clock.waitPastCounter(clock.counter() + 60'000'000);  // 60 ms, the time of a short frame at 1200 baud
    EXPECT_LT(ThreadCpuMs() - cpuBefore, 15.0);
}

TEST(PosixSteadyClock, MillisecondTickFollowsSleeps) {
    SteadyClock clock;
    const std::uint32_t start = clock.tickMs();
    clock.sleepMs(30);
    const std::uint32_t elapsed = clock.tickMs() - start;
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 1000u);
    const std::uint32_t before = clock.tickMs();
    clock.sleepMs(0);
    clock.sleepMs(-5);
    EXPECT_LT(clock.tickMs() - before, 5u);
}

}  // namespace
}  // namespace quillon
