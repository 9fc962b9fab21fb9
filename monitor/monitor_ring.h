#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "monitor/monitor_entry.h"

namespace quillon {

inline constexpr std::size_t kMonitorCapacity = 10'000;

// The last `capacity` entries, oldest first. Once full, each new entry takes
// the place of the oldest, so memory stays flat however long a poll runs.
class MonitorRing {
public:
    explicit MonitorRing(std::size_t capacity = kMonitorCapacity) : capacity_(capacity == 0 ? 1 : capacity) {}

    void push(MonitorEntry entry);
    void clear();
    std::size_t size() const { return slots_.size(); }
    std::size_t capacity() const { return capacity_; }
    // 0 is the oldest entry kept.
    const MonitorEntry& at(std::size_t index) const;
    // Entries ever pushed since the last clear, the ones pushed out included.
    std::uint64_t pushed() const { return pushed_; }

private:
    std::size_t capacity_;
    std::vector<MonitorEntry> slots_;
    std::size_t oldest_ = 0;
    std::uint64_t pushed_ = 0;
};

}  // namespace quillon
