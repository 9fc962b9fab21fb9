#pragma once

#include <cstddef>
#include <string>

namespace quillon {

// Lines of the calibration lists are laid out in fixed columns. They count
// characters, not bytes: the labels are Cyrillic and the columns are counted
// the way the engineer sees them.
std::size_t CharacterCount(const std::string& text);

// `text` padded with spaces, or cut, to `width` characters.
std::string PadOrCut(std::string text, std::size_t width);

}  // namespace quillon
