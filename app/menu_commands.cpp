#include "app/menu_commands.h"

#include "calibration/calibration_command.h"
#include "device/addressing.h"
#include "device/channels.h"
#include "device/density_constants.h"
#include "device/identification.h"
#include "device/measurement_parameters.h"
#include "device/modbus_address.h"
#include "device/polling.h"
#include "device/preambles.h"
#include "device/tag.h"
#include "device/value_correction.h"
#include "frontend/adc_settings.h"
#include "frontend/code_view.h"
#include "frontend/dac_settings.h"
#include "frontend/fixed_output.h"
#include "link/serial_link.h"
#include "device/menu_items.h"
#include "frontend/menu_items.h"
#include "calibration/menu_items.h"
#include "link/link_menu_items.h"

namespace quillon {

namespace {

using Command = void (*)(AppState&);

struct Entry {
    MenuItem item;
    Command command;
};

// Each device-service item and the command of its subsystem. The link dialog
// and the window commands are handled by the main window itself.
const Entry kCommands[] = {
    {menu::Statistika, [](AppState& s) { StatistikaCommand(s); }},
    {menu::AskReq3Item, [](AppState& s) { AskReq3Command(s); }},
    {menu::SelectChannelMenu, [](AppState& s) { SelectChannelCommand(s); }},
    {menu::SaveId, [](AppState& s) { SaveIdCommand(s); }},
    {menu::ChangeShortAddr, [](AppState& s) { ChangeShortAddrCommand(s); }},
    {menu::ShangeLongAddrMenu, [](AppState& s) { ChangeLongAddrCommand(s); }},
    {menu::PreambulsMenu, [](AppState& s) { PreamblesCommand(s); }},
    {menu::ReadingTag, [](AppState& s) { ReadingTagCommand(s); }},
    {menu::ChangeModbusAddrItem, [](AppState& s) { ChangeModbusAddrCommand(s); }},
    {menu::ADParams, [](AppState& s) { AdcSettingsCommand(s); }},
    {menu::DACParams, [](AppState& s) { DacSettingsCommand(s, s.frontend); }},
    {menu::Calibrovka, [](AppState& s) { CalibrationCommand(s, s.calibration); }},
    {menu::MeasParamsItem, [](AppState& s) { MeasurementParametersCommand(s); }},
    {menu::ValueCorrection, [](AppState& s) { ValueCorrectionCommand(s); }},
    {menu::ConstPlotnomerItem, [](AppState& s) { DensityMeterConstantsCommand(s); }},
    {menu::FixTokMenuItem, [](AppState& s) { FixCurrentMenuCommand(s, s.frontend); }},
    {menu::AD_Code_Show, [](AppState& s) { AdcCodeViewCommand(s, s.calibration.calibrationFileKind); }},
};

Command CommandOf(MenuItem item) {
    for (const Entry& e : kCommands)
        if (e.item == item) return e.command;
    return nullptr;
}

}  // namespace

bool MenuCommandAvailable(MenuItem item) {
    // Every device command can at least identify the device.
    return CommandOf(item) != nullptr;
}

void RunMenuCommand(AppState& s, MenuItem item) {
    const Command command = CommandOf(item);
    if (!command) return;
    WithPortOpen(s, [&] {
        // The calibration command asks what to do first: a file opens with no
        // device attached, and its new and read paths identify themselves.
        if (item != menu::Calibrovka && !ensureIdentified(s)) return;
        command(s);
    });
}

}  // namespace quillon
