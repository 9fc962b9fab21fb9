#include "device/menu_commands.h"

#include "device/addressing.h"
#include "device/channels.h"
#include "device/identification.h"
#include "device/modbus_address.h"
#include "device/polling.h"
#include "device/preambles.h"
#include "device/tag.h"
#include "link/serial_link.h"

namespace quillon {

bool MenuCommandAvailable(MenuItem item) {
    // Every device command can at least identify the device; the link dialog
    // and the window commands are handled by the main window itself.
    return item != MenuItem::ParamConnect;
}

void RunMenuCommand(AppState& s, MenuItem item) {
    WithPortOpen(s, [&] {
        if (!ensureIdentified(s)) return;
        switch (item) {
            case MenuItem::Statistika: StatistikaCommand(s); break;
            case MenuItem::AskReq3Item: AskReq3Command(s); break;
            case MenuItem::SelectChannelMenu: SelectChannelCommand(s); break;
            case MenuItem::SaveId: SaveIdCommand(s); break;
            case MenuItem::ChangeShortAddr: ChangeShortAddrCommand(s); break;
            case MenuItem::ShangeLongAddrMenu: ChangeLongAddrCommand(s); break;
            case MenuItem::PreambulsMenu: PreamblesCommand(s); break;
            case MenuItem::ReadingTag: ReadingTagCommand(s); break;
            case MenuItem::ChangeModbusAddrItem: ChangeModbusAddrCommand(s); break;
            default: break;  // commands of later versions stop after identification
        }
    });
}

}  // namespace quillon
