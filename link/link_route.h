#pragma once

#include <cstdint>
#include <string>

#include "link/link_state.h"

namespace quillon {

// Where requests go: the port and the link settings that pick the line, the
// modem speed or the flow computer and its line, or the HART-IP server. Equal routes reach the same
// devices; a different route may well reach others.
struct LinkRoute {
    std::string portName;
    int linkType = kLinkDirect;
    int hartSpeedIndex = 0;
    int portSpeedIndex = 0;
    std::uint8_t tunnelAddress = 0;
    int tunnelRequestFormat = 0;
    int tunnelLine = 0;
    // Over HART-IP the server, not a port, picks the devices.
    std::string hartIpHost;
    int hartIpPort = 0;
    int hartIpTransport = 0;

    bool operator==(const LinkRoute&) const = default;
};

LinkRoute RouteOf(const LinkSettings& settings, const std::string& portName);
// The route of the chosen port and the present link settings.
LinkRoute CurrentRoute(const LinkState& s);

}  // namespace quillon
