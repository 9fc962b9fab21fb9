#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/link_state.h"

namespace quillon {

// Fields of the output dialogs. A field that does not convert shows the
// field's own message (when it has one), then the conversion's message, and
// the caller shows its dialog again.

// A whole number within 64 bits: optional spaces around, an optional sign, digits.
std::optional<std::int64_t> ParseWholeNumber64(std::string_view text);

// A float field: separators normalised in place, converted and rounded to a
// single; a value a single cannot hold does not convert either.
std::optional<float> TakeSingleField(LinkState& s, std::string& field, const std::string& fieldMessage);

// A whole-number field.
std::optional<std::int64_t> TakeWholeField(LinkState& s, const std::string& field, const std::string& fieldMessage);

// General format, 7 significant digits: how these dialogs show a single.
std::string SingleText(LinkState& s, float value);

}  // namespace quillon
