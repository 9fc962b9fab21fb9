#include "cli/session.h"

#include "cli/device_reads.h"
#include "cli/exit_status.h"
#include "cli/outcome_status.h"
#include "link/attempt_loop.h"
#include "device/identification.h"
#include "link/exchange.h"
#include "link/serial_link.h"
#include "link/settings_store.h"

namespace quillon::cli {

bool WritesConfirmed(Session& x, const std::string& what) {
    if (x.options.yes) return true;
    x.out.message(what + ": запись не подтверждена: для подтверждения добавьте флаг --yes.");
    return false;
}

int PrepareLink(Session& x) {
    if (x.linkPrepared) return kExitSuccess;
    x.state.port.performanceFrequency = x.state.clock.counterFrequency();
    const LinkChoice choice = SelectLink(x.state, x.options.link);
    if (!choice.error.empty()) {
        x.out.message(choice.error);
        return choice.usage ? kExitUsage : kExitNoAnswer;
    }
    x.linkPrepared = true;
    return kExitSuccess;
}

bool Identify(Session& x) {
    // HART-IP opens its session with the first request; the modem and the tunnel need the port.
    if (x.state.settings.linkType != kLinkHartIp && !PortIsOpen(x.state)) return false;
    if ((x.options.longAddress || x.options.tag) && !x.deviceSelected) {
        if (!SelectAddressedDevice(x)) {
            x.failureStatus = x.ui.interrupted() ? kExitInterrupted : x.watch.timedOut() ? kExitTimeout : kExitNoAnswer;
            return false;
        }
        x.deviceSelected = true;
    }
    if (x.state.identity.identified) return true;
    Report notes;
    Result<DeviceIdentity> r;
    {
        ProgressWindow window(x.state.ui);
        x.state.ui.setProgressText("Узнаю длинный адрес");
        r = quillon::Identify(x.state, &notes);
    }
    // What the layers above remember of one identification is not offered for the next.
    ++x.state.identity.identifications;
    Present(x.out, notes, DoneOutcome());
    if (r.done()) return true;
    x.failureStatus = PresentOutcome(x, IdentificationReport(r.outcome), r.outcome);
    return false;
}

int IdentifyFailureStatus(const Session& x) {
    // The port did not open: nothing was asked of the device.
    return x.failureStatus != 0 ? x.failureStatus : kExitNoAnswer;
}

bool SaveSettingsIfAsked(Session& x) {
    if (!x.options.link.saveSettings) return true;
    return SaveSettings(x.state, SettingsPathFor(x.options.link));
}

}  // namespace quillon::cli
