#pragma once

#include <cstdint>
#include <string>

namespace quillon {

// Display text of a one-byte HART unit code; "?" for codes the tool does not know.
std::string UnitText(std::uint8_t code);

}  // namespace quillon
