#pragma once

#include "link/link_state.h"

namespace quillon {

// The link in use, whichever it is: the serial port of the modem and the flow
// computer, or the session with a HART-IP server. Code that must know whether
// a request can go out asks these, never the serial port alone.

// True when a request can go out now: the chosen serial port is open, or a
// HART-IP session with the configured server is.
bool LinkIsOpen(const LinkState& s);

// Opens the link in use without a word when it fails (the port stays chosen):
// for a caller that reports the failure in its own terms. True when open.
bool OpenLinkQuietly(LinkState& s);

// For a caller that waits long between requests (a hold, a slow poll): keeps
// a HART-IP session from running out; nothing on a serial link. Cheap to call
// often; it sends only when a keep-alive is due.
void KeepLinkAlive(LinkState& s);

}  // namespace quillon
