#include "device/menu_commands.h"

#include "link/serial_link.h"

namespace quillon {

bool MenuCommandAvailable(MenuItem) { return false; }

void RunMenuCommand(AppState& s, MenuItem) {
    WithPortOpen(s, [] {});
}

}  // namespace quillon
