#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon {

// One byte as the line delivered it; `damaged` when the UART flagged it with a
// parity or framing error (the byte itself is kept, as the Windows driver does).
struct ReceivedByte {
    std::uint8_t value = 0;
    bool damaged = false;
};

// Undoes the kernel's PARMRK marking: 0xFF 0x00 x is byte x received with an
// error, 0xFF 0xFF is a genuine 0xFF. A marker may be split across reads, so
// the decoder keeps its position between calls.
class MarkedStreamDecoder {
public:
    void feed(const std::uint8_t* bytes, std::size_t count, std::vector<ReceivedByte>& out);
    // Forgets a half-seen marker, e.g. after the receive queue was purged.
    void reset() { state_ = State::Plain; }

private:
    enum class State { Plain, SawFF, SawFF00 };
    State state_ = State::Plain;
};

}  // namespace quillon
