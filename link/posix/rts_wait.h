#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillon {

// How the sender waits for the end of a frame before dropping RTS.
enum class RtsWait {
    // Sleeps until shortly before the deadline, then watches the clock. Precise
    // on an idle machine; a busy one may take the core away while it watches.
    SleepThenWatch,
    // One sleep to the deadline itself. Only as precise as the thread's timer
    // slack lets it be, so it belongs inside an RtsWindow.
    AbsoluteSleep,
};

std::string_view RtsWaitName(RtsWait how);
std::optional<RtsWait> RtsWaitFromName(std::string_view name);

// Returns once MonotonicNanoseconds() is greater than `deadline`.
void WaitPastNanoseconds(RtsWait how, std::int64_t deadline);

}  // namespace quillon
