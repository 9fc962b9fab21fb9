#pragma once

#include <string>

#include "link/link_state.h"

namespace quillon {

// The two plain boxes most operations report with: a single OK button.
inline void ErrorBox(LinkState& s, const std::string& text) {
    s.ui.message(MessageIcon::Error, text, MessageButtons::Ok);
}
inline void InfoBox(LinkState& s, const std::string& text) {
    s.ui.message(MessageIcon::Information, text, MessageButtons::Ok);
}

}  // namespace quillon
