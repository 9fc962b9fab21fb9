#include "link/link_open.h"

#include "link/hart_ip_link.h"
#include "link/serial_link.h"

namespace quillon {

bool LinkIsOpen(const LinkState& s) {
    if (s.settings.linkType == kLinkHartIp) return HartIpSessionOpen(s);
    return PortIsOpen(s);
}

bool OpenLinkQuietly(LinkState& s) {
    if (s.settings.linkType == kLinkHartIp) return OpenHartIpSessionQuietly(s);
    return OpenPortQuietly(s);
}

void KeepLinkAlive(LinkState& s) {
    if (s.settings.linkType == kLinkHartIp) HartIpKeepAlive(s);
}

}  // namespace quillon
