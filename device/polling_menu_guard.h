#pragma once

#include "device/device_state.h"
#include "link/serial_link.h"
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

// The pause a poll takes after each exchange; false when the user asked the
// poll to end. Enter caught during the pause would otherwise be cleared, unseen,
// by the next exchange.
inline bool PauseAndKeepPolling(DeviceState& s) {
    InterExchangePause(s);
    if (s.flags.stopRequested || s.flags.enterPressed) {
        s.flags.stopRequested = false;
        s.flags.enterPressed = false;
        return false;
    }
    return true;
}

}  // namespace quillon
