#pragma once

#include "cli/exit_status.h"
#include "link/serial_link.h"

namespace quillon::cli {

template <typename Body>
int WithDevice(Session& x, Body&& body) {
    if (const int status = PrepareLink(x); status != kExitSuccess) return status;
    int status = kExitSuccess;
    WithPortOpen(x.state, [&] { status = Identify(x) ? body() : IdentifyFailureStatus(x); });
    if (status == kExitSuccess && !SaveSettingsIfAsked(x)) return kExitFileError;
    return status;
}

}  // namespace quillon::cli
