#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include <pthread.h>
#include <sys/prctl.h>

#include "link/posix/rts_window.h"
#include "link/posix/steady_clock.h"
#include "posix_test_support.h"

namespace quillon {
namespace {

using testing::ThreadCpuMs;

TEST(PosixSteadyClock, WaitPastCounterEndsJustAfterTheDeadline) {
    for (const RtsWait how : {RtsWait::SleepThenWatch, RtsWait::AbsoluteSleep}) {
        SCOPED_TRACE(std::string(RtsWaitName(how)));
        SteadyClock clock(how);
        // As the port waits: inside the window (minimal slack, real-time where granted).
        RtsWindow window(true);
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
}

TEST(PosixSteadyClock, LongWaitsSleepInsteadOfSpinningWhicheverTheWait) {
    for (const RtsWait how : {RtsWait::SleepThenWatch, RtsWait::AbsoluteSleep}) {
        SteadyClock clock(how);
        const double cpuBefore = ThreadCpuMs();
        clock.waitPastCounter(clock.counter() + 60'000'000);
        EXPECT_LT(ThreadCpuMs() - cpuBefore, 15.0) << RtsWaitName(how);
    }
}

TEST(RtsWaitNames, RoundTrip) {
    for (const RtsWait how : {RtsWait::SleepThenWatch, RtsWait::AbsoluteSleep})
        EXPECT_EQ(RtsWaitFromName(RtsWaitName(how)), how);
    EXPECT_FALSE(RtsWaitFromName("spin").has_value());
}

// The window must leave the thread exactly as it found it: a thread left
// real-time would starve the rest of the desktop whenever the tool is busy.
TEST(RtsWindow, SharpensTheThreadOnlyWhileItLasts) {
    const int slackBefore = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
    int policyBefore = -1;
    sched_param paramBefore{};
    ASSERT_EQ(pthread_getschedparam(pthread_self(), &policyBefore, &paramBefore), 0);
    ASSERT_EQ(policyBefore, SCHED_OTHER);
    const bool allowed = RealTimeSchedulingAllowed();
    for (const bool wantRealTime : {false, true}) {
        {
            RtsWindow window(wantRealTime);
            // Real-time threads have no slack at all on recent kernels.
            EXPECT_LE(prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0), 1);
            EXPECT_EQ(window.realTime(), wantRealTime && allowed);
            int policy = -1;
            sched_param param{};
            ASSERT_EQ(pthread_getschedparam(pthread_self(), &policy, &param), 0);
            EXPECT_EQ(policy, window.realTime() ? SCHED_FIFO : SCHED_OTHER);
        }
        EXPECT_EQ(prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0), slackBefore);
        int policy = -1;
        sched_param param{};
        ASSERT_EQ(pthread_getschedparam(pthread_self(), &policy, &param), 0);
        EXPECT_EQ(policy, policyBefore);
        EXPECT_EQ(param.sched_priority, paramBefore.sched_priority);
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
