#pragma once

#include <cstdint>
#include <string>

namespace quillon {

// The system's own words for a GetLastError code, in the user's language, as
// UTF-8 without the trailing line break.
std::string SystemErrorText(std::uint32_t error);

}  // namespace quillon
