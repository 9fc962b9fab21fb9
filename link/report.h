#pragma once

#include <string>
#include <vector>

#include "link/user_interface.h"

namespace quillon {

// One message of an operation's report, as the windows show it in a box and
// the command line prints it.
struct Box {
    MessageIcon icon = MessageIcon::Information;
    std::string text;
    MessageButtons buttons = MessageButtons::Ok;
};

// What an operation tells the engineer about its outcome, in order. Each
// operation makes its report from its outcome in one function, so a text of
// success can only come from an outcome that is done.
using Report = std::vector<Box>;

inline Box ErrorText(std::string text, MessageButtons buttons = MessageButtons::Ok) {
    return {MessageIcon::Error, std::move(text), buttons};
}
inline Box InfoText(std::string text, MessageButtons buttons = MessageButtons::Ok) {
    return {MessageIcon::Information, std::move(text), buttons};
}

// Shows each box in turn.
void ShowReport(UserInterface& ui, const Report& report);

}  // namespace quillon
