#include "cli/session.h"

#include "cli/exit_status.h"
#include "device/identification.h"
#include "link/exchange.h"
#include "link/serial_link.h"
#include "link/settings_store.h"

namespace quillon::cli {

int Status(const Session& x, bool ok) {
    if (x.ui.interrupted()) return kExitInterrupted;
    if (x.ui.refusedForYes()) return kExitUsage;
    if (x.ui.writeProtected()) return kExitWriteProtected;
    if (ok && x.ui.errorCount() == 0) return kExitSuccess;
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

bool PrepareLink(Session& x) {
    x.state.port.performanceFrequency = x.state.clock.counterFrequency();
    const std::string error = SelectLink(x.state, x.options.link);
    if (error.empty()) return true;
    x.out.message(error);
    return false;
}

bool Identify(Session& x) {
    // HART-IP opens its session with the first request; the modem and the tunnel need the port.
    if (x.state.settings.linkType != kLinkHartIp && !PortIsOpen(x.state)) return false;
    return ensureIdentified(x.state);
}

bool SaveSettingsIfAsked(Session& x) {
    if (!x.options.link.saveSettings) return true;
    return SaveSettings(x.state, SettingsPathFor(x.options.link));
}

}  // namespace quillon::cli
