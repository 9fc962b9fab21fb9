#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace quillon::sim {

inline constexpr std::uint8_t kMasterBit = 0x80;
inline constexpr std::uint8_t kBurstBit = 0x40;

// A request as the device sees it once its frame has been checked.
struct HartRequest {
    bool longFrame = false;
    // Short frame: only address[0] is used (the polling-address byte).
    std::array<std::uint8_t, 5> address{};
    std::uint8_t command = 0;
    std::vector<std::uint8_t> data;

    bool masterBit() const { return (address[0] & kMasterBit) != 0; }
};

// What a command handler decides: the first status byte and the data.
struct HartReply {
    std::uint8_t responseCode = 0;
    std::vector<std::uint8_t> data;
};

// A complete answer before it is put on the wire.
struct HartAnswer {
    bool longFrame = false;
    std::array<std::uint8_t, 5> address{};  // as echoed, master bit included
    std::uint8_t command = 0;
    std::uint8_t responseCode = 0;
    std::uint8_t deviceStatus = 0;
    std::vector<std::uint8_t> data;
    bool withoutStatus = false;  // byte count 0: no status bytes, no data
};

}  // namespace quillon::sim
