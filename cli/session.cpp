#include "cli/session.h"

#include "cli/device_reads.h"
#include "cli/exit_status.h"
#include "device/identification.h"
#include "link/exchange.h"
#include "link/serial_link.h"
#include "link/settings_store.h"

namespace quillon::cli {

int Status(const Session& x, bool ok) {
    if (x.ui.interrupted()) return kExitInterrupted;
    if (x.ui.refusedForYes()) return kExitUsage;
    // A write the device took after the engineer pressed the button is a success.
    if (ok && x.ui.errorCount() == 0) return kExitSuccess;
    if (x.ui.writeProtected()) return kExitWriteProtected;
    if (x.watch.exchanges() == 0) return kExitNoAnswer;  // the port did not open, or nothing was sent
    if (x.watch.gaveUp()) return kExitNoAnswer;
    const int last = x.watch.lastResult();
    // Not stopped by the user (that is the interrupt above): the link itself gave up, as
    // when a HART-IP server refuses the connection or a port goes away.
    if (last != ExchangeOk) return kExitNoAnswer;
    return kExitDeviceRefused;
}

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
            x.selectionStatus = x.ui.interrupted() ? kExitInterrupted : x.watch.timedOut() ? kExitTimeout : kExitNoAnswer;
            return false;
        }
        x.deviceSelected = true;
    }
    return ensureIdentified(x.state);
}

int IdentifyFailureStatus(const Session& x) {
    if (x.selectionStatus != 0) return x.selectionStatus;
    if (x.watch.timedOut()) return kExitTimeout;
    if (x.ui.interrupted()) return kExitInterrupted;
    // The port did not open, nothing answered, or the link itself failed.
    if (x.watch.exchanges() == 0 || x.watch.lastResult() != ExchangeOk) return kExitNoAnswer;
    return kExitDeviceRefused;
}

bool SaveSettingsIfAsked(Session& x) {
    if (!x.options.link.saveSettings) return true;
    return SaveSettings(x.state, SettingsPathFor(x.options.link));
}

}  // namespace quillon::cli
