#pragma once

#include <cstdint>

namespace quillon {

std::int64_t MonotonicNanoseconds();
// Sleeps the whole span even when a signal interrupts it.
void SleepNanoseconds(std::int64_t nanoseconds);
// Sleeps until MonotonicNanoseconds() reaches `when`.
void SleepUntilNanoseconds(std::int64_t when);

}  // namespace quillon
