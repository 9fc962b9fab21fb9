#pragma once

#include "app/app_state.h"

namespace quillon {

// Runs the command of a main-menu item: device commands inside the port
// bracket and after identification.
void RunMenuCommand(AppState& s, MenuItem item);

// Whether the command of `item` is built in this version (others stay disabled).
bool MenuCommandAvailable(MenuItem item);

}  // namespace quillon
