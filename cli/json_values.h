#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <nlohmann/json.hpp>
#include <string>

namespace quillon::cli {

// The JSON forms every sub-command uses for the same kind of value, so that
// a script reads a long address or a float the same way everywhere.

// A long address as 10 upper-case hex digits, "260F092964": the form
// --long-address takes back.
std::string LongAddressHex(const std::array<std::uint8_t, 5>& address);
// The same digits parsed; nothing unless exactly 10 hex digits.
std::optional<std::array<std::uint8_t, 5>> ParseLongAddressHex(const std::string& text);

// A single as the shortest decimal that reads back as the same single (8.5,
// not 8.500000953674316); null for NaN and the infinities, which JSON lacks.
nlohmann::json SingleJson(float value);
// A number a window shows ("3", "4.0000000", "----------"): an integer, a
// float, or null when it is no number.
nlohmann::json ShownNumberJson(const std::string& text);
// Bytes as upper-case hex without spaces, "0A0B".
std::string HexString(const std::uint8_t* bytes, std::size_t count);

}  // namespace quillon::cli
