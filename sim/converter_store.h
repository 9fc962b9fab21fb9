#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace quillon::sim {

// The converter settings and the current-to-value conversion of the
// current-output device (commands 193-196). Other firmware does not know the
// commands at all.
struct ConverterStore {
    bool present = false;
    // Gain byte (gain code in the low two bits) and averaging points; absent =
    // never written, the firmware runs on its defaults and says so.
    std::optional<std::array<std::uint8_t, 2>> settings;
    // Enabled flag and four big-endian floats; absent = the conversion is not used.
    std::optional<std::array<std::uint8_t, 17>> conversion;
};

}  // namespace quillon::sim
