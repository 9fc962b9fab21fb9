#pragma once

#include <bit>
#include <cstdint>
#include <vector>

namespace quillon::sim {

// HART data carries multi-byte values most significant byte first.
inline void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 24));
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

inline void PutFloat(std::vector<std::uint8_t>& out, float v) { PutU32(out, std::bit_cast<std::uint32_t>(v)); }

inline std::uint32_t GetU32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

inline float GetFloat(const std::uint8_t* p) { return std::bit_cast<float>(GetU32(p)); }

}  // namespace quillon::sim
