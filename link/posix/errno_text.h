#pragma once

#include <cstring>
#include <string>

namespace quillon {

// The system's own words for an errno value, as the user sees them in a box.
inline std::string ErrnoText(int error) { return std::strerror(error); }

}  // namespace quillon
