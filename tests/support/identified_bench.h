#pragma once

#include <bit>
#include <cstdint>
#include <memory>

#include "device/identification.h"
#include "support/sim_fixture.h"

namespace quillon::testing {

// A simulated device that has been identified, with the record cleared, so a
// test sees only what its own command does.
inline std::unique_ptr<SimBench> Identified(const char* preset) {
    auto b = std::make_unique<SimBench>(preset);
    EXPECT_TRUE(ensureIdentified(b->state));
    b->ui.clearRecord();
    return b;
}

// The bits of a single-precision value, as a device keeps a float setting.
constexpr std::uint32_t Bits(float v) { return std::bit_cast<std::uint32_t>(v); }

}  // namespace quillon::testing
