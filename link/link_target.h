#pragma once

#include <array>
#include <cstdint>

namespace quillon {

// What the link needs to know of the device it talks to: whether it has been
// identified for the current link, and the long address long frames carry.
// The device's full identity extends it.
struct LinkTarget {
    bool identified = false;
    std::array<std::uint8_t, 5> longAddress{};
};

}  // namespace quillon
