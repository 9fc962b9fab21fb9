#pragma once

#include <string>

#include "link/app_state.h"

namespace quillon {

// The two plain boxes most operations report with: a single OK button.
inline void ErrorBox(AppState& s, const std::string& text) {
    s.ui.message(MessageIcon::Error, text, MessageButtons::Ok);
}
inline void InfoBox(AppState& s, const std::string& text) {
    s.ui.message(MessageIcon::Information, text, MessageButtons::Ok);
}

}  // namespace quillon
