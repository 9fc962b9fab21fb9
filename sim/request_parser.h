#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/hart_frames.h"

namespace quillon::sim {

// Finds HART requests in the bytes a device hears: skips preambles and line
// noise, waits for a whole frame, and drops frames whose check byte is wrong
// (a device never answers a corrupt request).
class RequestParser {
public:
    struct Event {
        enum Kind { None, Request, Corrupt } kind = None;
        HartRequest request;
        std::vector<std::uint8_t> frame;  // the frame as heard, delimiter to check byte
    };

    Event feed(std::uint8_t byte);
    void reset() { frame_.clear(); }

private:
    Event complete();
    std::vector<std::uint8_t> frame_;
};

}  // namespace quillon::sim
