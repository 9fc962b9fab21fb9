#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::sim {

// Ways a simulated answer can go wrong on the wire.
enum class Fault {
    None,
    NoAnswer,          // the request is heard but not answered
    WrongCheckByte,    // the last byte does not complete the check
    CutShort,          // the last two bytes never come
    Stall,             // half the answer, a long pause, then the rest
    NoiseBeforeStart,  // line noise ahead of the preambles
    ExtraByte,         // one byte more after the check byte
    Oversized,         // an answer longer than the tool's 200-byte buffer
    WrongAddress,      // answered under an address that is not the one asked
};

std::string_view FaultName(Fault fault);
std::optional<Fault> FaultFromName(std::string_view name);
std::vector<std::string_view> FaultNames();

// What a device or flow computer puts on the line for one answer.
struct Transmission {
    std::vector<std::uint8_t> bytes;
    // Extra time between hearing the request and the first byte, beyond the
    // line's turnaround (a flow computer asks its own device first).
    std::int64_t delayUs = 0;
    // After this many bytes the sender pauses for pauseUs.
    std::size_t pauseAt = std::numeric_limits<std::size_t>::max();
    std::int64_t pauseUs = 0;
};

// The fault to inject next: once, or on every answer until cleared.
class FaultPlan {
public:
    void set(Fault fault, bool persistent = false) {
        fault_ = fault;
        persistent_ = persistent;
    }
    void clear() { fault_ = Fault::None; }
    Fault current() const { return fault_; }
    // The fault for the answer about to be sent; a one-shot fault is used up.
    Fault take() {
        const Fault f = fault_;
        if (!persistent_) fault_ = Fault::None;
        return f;
    }
    // How long a stalled answer pauses: far beyond any sensible byte wait.
    std::int64_t stallUs = 3'000'000;

private:
    Fault fault_ = Fault::None;
    bool persistent_ = false;
};

// Applies the faults that do not depend on what the frame means. `lead` goes
// before the frame (preambles); WrongAddress and Oversized are the sender's job.
Transmission ShapeTransmission(Fault fault, std::vector<std::uint8_t> lead, std::vector<std::uint8_t> frame,
                               std::int64_t stallUs);

}  // namespace quillon::sim
