#include "link/posix/rts_window.h"

#include <pthread.h>
#include <sys/prctl.h>

namespace quillon {

namespace {

// The lowest real-time priority: above every ordinary process, below the
// system's own real-time threads, and within any RLIMIT_RTPRIO that allows any.
int LowestRealTimePriority() { return sched_get_priority_min(SCHED_FIFO); }

}  // namespace

RtsWindow::RtsWindow(bool wantRealTime) {
    const int slack = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
    if (slack >= 0 && prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0) == 0) savedSlack_ = slack;
    if (!wantRealTime) return;
    if (pthread_getschedparam(pthread_self(), &savedPolicy_, &savedParam_) != 0) return;
    if (savedPolicy_ == SCHED_FIFO || savedPolicy_ == SCHED_RR) return;  // already real-time: leave it so
    sched_param param{};
    param.sched_priority = LowestRealTimePriority();
    // Refused without the privilege: the ordinary scheduling stays, silently.
    realTime_ = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

RtsWindow::~RtsWindow() {
    if (realTime_) pthread_setschedparam(pthread_self(), savedPolicy_, &savedParam_);
    if (savedSlack_ >= 0) prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(savedSlack_), 0, 0, 0);
}

bool RealTimeSchedulingAllowed() {
    RtsWindow probe(true);
    return probe.realTime();
}

}  // namespace quillon
