#include "link/link_dialog.h"

#include <algorithm>

#include "link/cp1251.h"
#include "link/hart_ip_link.h"
#include "link/link_dialog_rules.h"
#include "link/link_route.h"
#include "link/link_state.h"
#include "link/main_caption.h"
#include "link/serial_link.h"
#include "link/settings_store.h"

namespace quillon {

namespace {

constexpr const char* kCaption = "Ввод параметров связи с датчиком";
constexpr const char* kNoPortItem = "Не выбран";
constexpr const char* kBadShortAddress = "Введены неправильные цифры!";
constexpr const char* kBadFirstByte = "Неправильная информация при вводе ожидания первого байта!";
constexpr const char* kFirstByteRange = "Неправильный диапазон при вводе ожидания первого байта!";
constexpr const char* kBadNextByte = "Неправильная информация при вводе ожидания следующего байта!";
constexpr const char* kNextByteRange = "Неправильный диапазон при вводе ожидания следующего байта!";
constexpr const char* kNoHartIpHost = "Не указан адрес HART-IP сервера!";
constexpr const char* kTunnelWaitWarning =
    "При связи через Brenta время ожидания первого байта ответа желательно установить не менее 7000 мс! "
    "Иначе можно не дождаться ответа.";

// True when requests now go somewhere else: another port, link, speed, flow
// computer or line may well mean another device, whose long address and
// variant the identity does not know.
bool RouteChanged(const LinkSettings& a, const std::string& portA, const LinkSettings& b, const std::string& portB) {
    return RouteOf(a, portA) != RouteOf(b, portB);
}

// The port index means a position in the list, so a rescan that adds or loses
// a port would silently move the choice to another device. Follow the name.
void RescanKeepingChosenPort(LinkState& s) {
    auto& list = s.port.portList;
    auto& index = s.settings.portIndex;
    const std::string chosen = ChosenPortName(s);
    ScanPorts(s);
    if (index == 0) return;
    const int found = chosen.empty() ? 0 : PortIndexOfName(list, chosen);
    if (found != index) {
        index = found;
        UpdateMainCaption(s);
    }
}

LinkDialog FilledDialog(LinkState& s) {
    const LinkSettings& st = s.settings;
    LinkDialog d;
    d.caption = kCaption;
    d.shortAddressText = std::to_string(st.shortAddress);
    d.writeFile = st.resultFileEnabled;
    d.fileName = st.resultFileName;
    d.linkType = st.linkType == kLinkHartIp                                  ? kHartIpLinkItem
                 : st.linkType == kLinkDirect || st.linkType == kLinkTunnel ? st.linkType
                                                                            : -1;
    d.hartSpeedIndex = st.hartSpeedIndex;
    d.masterAddress = st.masterAddress;
    d.requestFormat = st.tunnelRequestFormat;
    d.tunnelLine = st.tunnelLine;
    d.portItems.push_back(kNoPortItem);
    for (std::size_t i = 1; i < s.port.portList.size(); ++i) d.portItems.push_back(PortDisplayName(s.port.portList[i]));
    d.portIndex = st.portIndex >= 0 && static_cast<std::size_t>(st.portIndex) < d.portItems.size() ? st.portIndex : 0;
    d.portSpeedIndex = st.portSpeedIndex;
    d.firstByteText = std::to_string(st.firstByteWait);
    d.nextByteText = std::to_string(st.nextByteWait);
    d.password = Cp1251ToUtf8(st.tunnelPassword);
    d.userId = Cp1251ToUtf8(st.tunnelUserId);
    d.tunnelAddress = st.tunnelAddress;
    d.souMode = st.souMode;
    d.hartIpHost = st.hartIpHost;
    d.hartIpPort = st.hartIpPort;
    d.hartIpTransport = st.hartIpTransport;
    d.hartIpTimeout = st.hartIpResponseTimeout;
    return d;
}

// A host as typed, without the blanks around it.
std::string HostText(const std::string& typed) {
    const auto first = typed.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
}

struct Accepted {
    int shortAddress = 0;
    int firstByteWait = 0;
    int nextByteWait = 0;
};

// One typed wait: a message for text that is no number, another for a number out of range.
bool AcceptWait(LinkState& s, const std::string& text, int low, int high, const char* badText, const char* rangeText,
                int& value) {
    if (!ParseWholeNumber(text, value)) {
        s.ui.message(MessageIcon::Error, badText, MessageButtons::Ok);
        return false;
    }
    if (value < low || value > high) {
        s.ui.message(MessageIcon::Error, rangeText, MessageButtons::Ok);
        return false;
    }
    return true;
}

bool Validate(LinkState& s, const LinkDialog& d, Accepted& a) {
    if (!ParseWholeNumber(d.shortAddressText, a.shortAddress)) {
        s.ui.message(MessageIcon::Error, kBadShortAddress, MessageButtons::Ok);
        return false;
    }
    if (a.shortAddress < 0 || a.shortAddress > 16) return false;  // shown again without a word
    if (d.linkType == kHartIpLinkItem) {
        // The serial waits do not apply; the server needs an address.
        if (HostText(d.hartIpHost).empty()) {
            s.ui.message(MessageIcon::Error, kNoHartIpHost, MessageButtons::Ok);
            return false;
        }
        a.firstByteWait = s.settings.firstByteWait;
        a.nextByteWait = s.settings.nextByteWait;
        return true;
    }
    return AcceptWait(s, d.firstByteText, 400, 10000, kBadFirstByte, kFirstByteRange, a.firstByteWait) &&
           AcceptWait(s, d.nextByteText, 300, 5000, kBadNextByte, kNextByteRange, a.nextByteWait);
}

std::string Credential(const std::string& typed, std::size_t limit) {
    std::string bytes = Utf8ToCp1251(typed);
    if (bytes.size() > limit) bytes.resize(limit);
    return bytes;
}

void TakeOver(LinkState& s, const LinkDialog& d, const Accepted& a) {
    LinkSettings& st = s.settings;
    // A radio group that shows no item (a stored value it has no item for)
    // keeps what was stored: the user did not choose anything there.
    const auto keepUnlessChosen = [](int& field, int chosen) {
        if (chosen >= 0) field = chosen;
    };
    st.firstByteWait = a.firstByteWait;
    st.nextByteWait = a.nextByteWait;
    keepUnlessChosen(st.linkType, d.linkType == kHartIpLinkItem ? kLinkHartIp : d.linkType);
    keepUnlessChosen(st.hartSpeedIndex, d.hartSpeedIndex);
    keepUnlessChosen(st.portSpeedIndex, d.portSpeedIndex);
    st.portIndex = d.portIndex >= 0 && static_cast<std::size_t>(d.portIndex) < s.port.portList.size() ? d.portIndex : 0;
    keepUnlessChosen(st.masterAddress, d.masterAddress);
    st.tunnelAddress = static_cast<std::uint8_t>(std::clamp(d.tunnelAddress, 0, 255));
    st.souMode = d.souMode;
    st.tunnelPassword = Credential(d.password, d.souMode ? kSouPasswordMaxLength : kPasswordMaxLength);
    if (d.souMode) st.tunnelUserId = Credential(d.userId, kUserIdMaxLength);
    keepUnlessChosen(st.tunnelRequestFormat, d.requestFormat);
    keepUnlessChosen(st.tunnelLine, d.tunnelLine);
    st.resultFileEnabled = d.writeFile;
    st.resultFileName = d.fileName;
    if (const std::string host = HostText(d.hartIpHost); !host.empty()) st.hartIpHost = host;
    st.hartIpPort = std::clamp(d.hartIpPort, 1, 65535);
    keepUnlessChosen(st.hartIpTransport, d.hartIpTransport);
    st.hartIpResponseTimeout = std::clamp(d.hartIpTimeout, 100, 60000);
}

}  // namespace

void ApplyLinkDialog(LinkState& s, const std::string& settingsPath) {
    const LinkSettings before = s.settings;
    const std::string portBefore = ChosenPortName(s);
    RescanKeepingChosenPort(s);
    LinkDialog d = FilledDialog(s);
    const int shownPortIndex = d.portIndex;
    Accepted a;
    do {
        if (!s.ui.show(d)) return;
    } while (!Validate(s, d, a));

    TakeOver(s, d, a);
    // A stored port that is missing now shows as no port; leaving it so is
    // not choosing another.
    if (s.settings.portIndex != 0 || d.portIndex != shownPortIndex) {
        s.settings.storedPortName = ChosenPortName(s);
        s.settings.storedPortIndex = s.settings.portIndex;
    }
    if (s.settings.linkType == kLinkTunnel && s.settings.firstByteWait < 7000)
        s.ui.message(MessageIcon::Warning, kTunnelWaitWarning, MessageButtons::Ok);

    if (a.shortAddress != s.settings.shortAddress) {
        s.settings.shortAddress = static_cast<std::uint8_t>(a.shortAddress);
        // Another address may well be another device.
        s.target.identified = false;
    }
    if (RouteChanged(before, portBefore, s.settings, ChosenPortName(s))) {
        s.target.identified = false;
        // A session belongs to its server; the next request opens one where the settings point.
        CloseHartIpSession(s);
    }
    RestartPort(s, s.settings.linkType);
    SaveSettings(s, settingsPath);
    UpdateMainCaption(s);
    ClosePort(s);
}

}  // namespace quillon
