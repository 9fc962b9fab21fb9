#include "sim/real_time_wire.h"

#include <algorithm>

#include "link/line_settings.h"

namespace quillon::sim {

std::int64_t RealTimeWire::byteUs() const {
    return static_cast<std::int64_t>(BitsPerCharacter(line_)) * 1'000'000 / static_cast<std::int64_t>(line_.baud);
}

void RealTimeWire::hear(const std::uint8_t* bytes, std::size_t count, std::int64_t nowUs) {
    for (std::size_t i = 0; i < count; ++i) {
        // A burst that the pty delivered at once was spread over the wire.
        lastArrivalUs_ = std::max(lastArrivalUs_, nowUs) + byteUs();
        if (auto t = endpoint_.hear(bytes[i], lastArrivalUs_))
            schedule(*t, lastArrivalUs_ + turnaroundUs_ + t->delayUs);
    }
}

void RealTimeWire::schedule(const Transmission& t, std::int64_t startUs) {
    // A new request makes the far end drop what it had not sent of an older answer.
    while (!out_.empty() && out_.back().second > startUs) out_.pop_back();
    for (std::size_t i = 0; i < t.bytes.size(); ++i) {
        std::int64_t due = startUs + static_cast<std::int64_t>(i + 1) * byteUs();
        if (i >= t.pauseAt) due += t.pauseUs;
        out_.emplace_back(t.bytes[i], due);
    }
}

std::optional<std::int64_t> RealTimeWire::nextDueUs() const {
    if (out_.empty()) return std::nullopt;
    return out_.front().second;
}

std::vector<std::uint8_t> RealTimeWire::takeDue(std::int64_t nowUs) {
    std::vector<std::uint8_t> due;
    while (!out_.empty() && out_.front().second <= nowUs) {
        due.push_back(out_.front().first);
        out_.pop_front();
    }
    return due;
}

}  // namespace quillon::sim
