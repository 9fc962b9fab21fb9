#include "monitor/monitor_ring.h"

#include <utility>

namespace quillon {

void MonitorRing::push(MonitorEntry entry) {
    ++pushed_;
    if (slots_.size() < capacity_) {
        slots_.push_back(std::move(entry));
        return;
    }
    slots_[oldest_] = std::move(entry);
    oldest_ = (oldest_ + 1) % capacity_;
}

void MonitorRing::clear() {
    slots_.clear();
    oldest_ = 0;
    pushed_ = 0;
}

const MonitorEntry& MonitorRing::at(std::size_t index) const { return slots_[(oldest_ + index) % slots_.size()]; }

}  // namespace quillon
