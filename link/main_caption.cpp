#include "link/main_caption.h"

#include "link/hart_ip_link.h"
#include "link/serial_link.h"

namespace quillon {

std::string MainCaptionText(LinkState& s) {
    std::string caption = "Обслуживание датчиков температуры. ";
    // The name is resolved first: a port index the last scan no longer covers
    // falls back to no port, and the caption must then say so.
    const std::string port = PortNameFromIndex(s);
    if (s.settings.linkType == kLinkHartIp)
        caption += "HART-IP " + HartIpEndpointText(s.settings.hartIpHost, s.settings.hartIpPort) + ".";
    else if (s.settings.portIndex != 0 && !port.empty())
        caption += "Порт " + PortDisplayName(port) + ".";
    else
        caption += "Порт не выбран.";
    caption += " Адрес " + std::to_string(s.settings.shortAddress);
    return caption;
}

void UpdateMainCaption(LinkState& s) { s.ui.setMainCaption(MainCaptionText(s)); }

}  // namespace quillon
