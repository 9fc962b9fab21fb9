#pragma once

#include <cstdint>
#include <vector>

#include "sim/hart_frames.h"

namespace quillon::sim {

// Puts an answer into wire form: delimiter 0x06/0x86, echoed address, command,
// byte count, the two status bytes, data and the XOR check byte.
std::vector<std::uint8_t> AnswerFrame(const HartAnswer& answer);

// The same, preceded by `preambles` bytes 0xFF as a device sends it to a modem.
std::vector<std::uint8_t> AnswerWithPreambles(const HartAnswer& answer, std::uint8_t preambles);

}  // namespace quillon::sim
