#include "link/link_dialog_rules.h"

#include <charconv>

#include "link/link_settings.h"
#include "link/settings_store.h"

namespace quillon {

LinkDialogVisibility LinkDialogVisibilityFor(const LinkDialog& d) {
    LinkDialogVisibility v;
    const bool direct = d.linkType == kLinkDirect;
    const bool tunnel = d.linkType == kLinkTunnel;
    // With no link type chosen there is nothing sensible to configure.
    v.hartSpeed = direct;
    v.brenta = tunnel;
    v.hartIp = d.linkType == kHartIpLinkItem;
    v.comPort = direct || tunnel;
    v.delays = direct || tunnel;
    v.numLine = d.requestFormat == 1;
    v.userId = d.souMode;
    v.passwordMaxLength = static_cast<int>(d.souMode ? kSouPasswordMaxLength : kPasswordMaxLength);
    v.fileControlsEnabled = d.writeFile;
    return v;
}

bool ParseWholeNumber(std::string_view text, int& value) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return false;
    int parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc{} || end != text.data() + text.size()) return false;
    value = parsed;
    return true;
}

}  // namespace quillon
