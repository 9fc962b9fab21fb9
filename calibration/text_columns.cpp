#include "calibration/text_columns.h"

namespace quillon {

namespace {

bool ContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::size_t CharacterCount(const std::string& text) {
    std::size_t n = 0;
    for (char c : text)
        if (!ContinuationByte(c)) ++n;
    return n;
}

std::string PadOrCut(std::string text, std::size_t width) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (ContinuationByte(text[i])) continue;
        if (chars == width) {
            text.resize(i);
            return text;
        }
        ++chars;
    }
    text.append(width - chars, ' ');
    return text;
}

}  // namespace quillon
