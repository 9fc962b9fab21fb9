#include "link/link_route.h"

#include "link/serial_link.h"

namespace quillon {

LinkRoute RouteOf(const LinkSettings& settings, const std::string& portName) {
    return {portName,
            settings.linkType,
            settings.hartSpeedIndex,
            settings.portSpeedIndex,
            settings.tunnelAddress,
            settings.tunnelRequestFormat,
            settings.tunnelLine,
            settings.hartIpHost,
            settings.hartIpPort,
            settings.hartIpTransport};
}

LinkRoute CurrentRoute(const LinkState& s) { return RouteOf(s.settings, ChosenPortName(s)); }

}  // namespace quillon
