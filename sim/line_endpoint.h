#pragma once

#include <cstdint>
#include <optional>

#include "sim/faults.h"

namespace quillon::sim {

// Whatever sits at the far end of a serial line: a field device behind a
// modem, or a flow computer. It hears bytes one by one and may answer.
class LineEndpoint {
public:
    virtual ~LineEndpoint() = default;
    // One byte has fully arrived at `nowUs`; returns what to send back when it
    // completed a request.
    virtual std::optional<Transmission> hear(std::uint8_t byte, std::int64_t nowUs) = 0;
    // The line fell quiet: a frame still being heard is over and forgotten,
    // so that the next delimiter starts a new one.
    virtual void lineQuiet() {}
};

}  // namespace quillon::sim
