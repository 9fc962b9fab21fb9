#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace quillon {

// Bytes as the tool's messages show ids and addresses: "26h 0Fh 00h".
std::string HexBytesText(std::span<const std::uint8_t> bytes);

}  // namespace quillon
