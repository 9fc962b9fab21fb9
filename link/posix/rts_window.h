#pragma once

#include <sched.h>

namespace quillon {

// Sharpens the calling thread's timing for the time RTS is raised and undoes
// it on leaving: the timer slack at its minimum, so that a sleep ends when it
// was asked to, and real-time scheduling where the system grants it (root,
// CAP_SYS_NICE or an RLIMIT_RTPRIO above zero), so that CPU-bound processes
// beside the tool cannot hold the thread back when its timer fires.
class RtsWindow {
public:
    explicit RtsWindow(bool wantRealTime);
    ~RtsWindow();
    RtsWindow(const RtsWindow&) = delete;
    RtsWindow& operator=(const RtsWindow&) = delete;

    bool realTime() const { return realTime_; }

private:
    long savedSlack_ = -1;
    int savedPolicy_ = SCHED_OTHER;
    sched_param savedParam_{};
    bool realTime_ = false;
};

// True when this thread could switch to real-time scheduling now.
bool RealTimeSchedulingAllowed();

}  // namespace quillon
