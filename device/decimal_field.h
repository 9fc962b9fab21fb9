#pragma once

#include <optional>
#include <string>

#include "link/link_state.h"

namespace quillon {

// A single field without a message of its own: '.' and ',' become the system
// separator (the field shows the result); a text that is not a number, or a
// number too large for a single, shows why as a plain error box, and the
// caller ends its command. No infinity is ever taken from a field.
std::optional<float> ConvertSingleField(LinkState& s, std::string& field);

}  // namespace quillon
