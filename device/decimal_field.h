#pragma once

#include <optional>
#include <string>

#include "link/link_state.h"

namespace quillon {

// A float field without a message of its own: '.' and ',' become the system
// separator (the field shows the result); a text that is not a number shows
// the conversion error as a plain error box, and the caller ends its command.
std::optional<double> ConvertDecimalField(LinkState& s, std::string& field);

}  // namespace quillon
