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

namespace quillon {

bool MenuCommandAvailable(MenuItem item) {
    // Every device command can at least identify the device; the link dialog
    // and the window commands are handled by the main window itself.
    return item != MenuItem::ParamConnect;
}

void RunMenuCommand(AppState& s, MenuItem item) {
    WithPortOpen(s, [&] {
        // The calibration command asks what to do first: a file opens with no
        // device attached, and its new and read paths identify themselves.
        if (item != MenuItem::Calibrovka && !ensureIdentified(s)) return;
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
            case MenuItem::ADParams: AdcSettingsCommand(s); break;
            case MenuItem::DACParams: DacSettingsCommand(s); break;
            case MenuItem::Calibrovka: CalibrationCommand(s); break;
            case MenuItem::MeasParamsItem: MeasurementParametersCommand(s); break;
            case MenuItem::ValueCorrection: ValueCorrectionCommand(s); break;
            case MenuItem::ConstPlotnomerItem: DensityMeterConstantsCommand(s); break;
            case MenuItem::FixTokMenuItem: FixCurrentMenuCommand(s); break;
            case MenuItem::AD_Code_Show: AdcCodeViewCommand(s); break;
            case MenuItem::ParamConnect: break;  // the main window's own dialog
        }
    });
}

}  // namespace quillon
