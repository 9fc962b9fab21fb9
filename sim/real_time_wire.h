#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "link/serial_port.h"
#include "sim/line_endpoint.h"

namespace quillon::sim {

// The wire timing of quillon-devsim. A pseudo-terminal passes bytes at once,
// so the line is simulated: request bytes are taken to arrive one byte-time
// apart, the answer starts a turnaround after the last of them, and its bytes
// are released one byte-time apart. Times are microseconds of any monotonic clock.
class RealTimeWire {
public:
    RealTimeWire(LineEndpoint& endpoint, LineSettings line, std::int64_t turnaroundUs)
        : endpoint_(endpoint), line_(line), turnaroundUs_(turnaroundUs) {}

    // Bytes read from the line at `nowUs`.
    void hear(const std::uint8_t* bytes, std::size_t count, std::int64_t nowUs);
    // When the next answer byte is due, if any is waiting.
    std::optional<std::int64_t> nextDueUs() const;
    // Answer bytes whose time has come.
    std::vector<std::uint8_t> takeDue(std::int64_t nowUs);

    std::int64_t byteUs() const;
    void setTurnaroundUs(std::int64_t us) { turnaroundUs_ = us; }

private:
    void schedule(const Transmission& t, std::int64_t startUs);

    LineEndpoint& endpoint_;
    LineSettings line_;
    std::int64_t turnaroundUs_;
    std::int64_t lastArrivalUs_ = 0;
    std::deque<std::pair<std::uint8_t, std::int64_t>> out_;
};

}  // namespace quillon::sim
