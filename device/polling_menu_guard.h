#pragma once

#include "link/user_interface.h"

namespace quillon {

// Removes the main menu for as long as it lives, so that no second command can
// start while a long loop waits inside an exchange; puts it back however the
// loop ends (an early return, a failure, an exception).
class MainMenuRemoved {
public:
    explicit MainMenuRemoved(UserInterface& ui) : ui_(ui) { ui_.setMainMenuPresent(false); }
    ~MainMenuRemoved() { ui_.setMainMenuPresent(true); }
    MainMenuRemoved(const MainMenuRemoved&) = delete;
    MainMenuRemoved& operator=(const MainMenuRemoved&) = delete;

private:
    UserInterface& ui_;
};

}  // namespace quillon
