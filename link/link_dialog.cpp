#include "link/link_dialog.h"

#include <algorithm>

#include "link/cp1251.h"
#include "link/link_dialog_rules.h"
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
constexpr const char* kTunnelWaitWarning =
    "При связи через Brenta время ожидания первого байта ответа желательно установить не менее 7000 мс! "
    "Иначе можно не дождаться ответа.";

// The port index means a position in the list, so a rescan that adds or loses
// a port would silently move the choice to another device. Follow the name.
void RescanKeepingChosenPort(LinkState& s) {
    auto& list = s.port.portList;
    auto& index = s.settings.portIndex;
    const bool inRange = index > 0 && static_cast<std::size_t>(index) < list.size();
    const std::string chosen = inRange ? list[static_cast<std::size_t>(index)] : std::string{};
    ScanPorts(s);
    if (index == 0) return;
    int found = 0;
    if (!chosen.empty()) {
        const auto it = std::find(list.begin() + 1, list.end(), chosen);
        if (it != list.end()) found = static_cast<int>(it - list.begin());
    }
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
    d.linkType = st.linkType == kLinkDirect || st.linkType == kLinkTunnel ? st.linkType : -1;
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
    return d;
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
    st.firstByteWait = a.firstByteWait;
    st.nextByteWait = a.nextByteWait;
    st.linkType = d.linkType;
    st.hartSpeedIndex = d.hartSpeedIndex;
    st.portSpeedIndex = d.portSpeedIndex;
    st.portIndex = d.portIndex >= 0 && static_cast<std::size_t>(d.portIndex) < s.port.portList.size() ? d.portIndex : 0;
    st.masterAddress = d.masterAddress;
    st.tunnelAddress = static_cast<std::uint8_t>(std::clamp(d.tunnelAddress, 0, 255));
    st.souMode = d.souMode;
    st.tunnelPassword = Credential(d.password, d.souMode ? kSouPasswordMaxLength : kPasswordMaxLength);
    if (d.souMode) st.tunnelUserId = Credential(d.userId, kUserIdMaxLength);
    st.tunnelRequestFormat = d.requestFormat;
    st.tunnelLine = d.tunnelLine;
    st.resultFileEnabled = d.writeFile;
    st.resultFileName = d.fileName;
}

}  // namespace

void ApplyLinkDialog(LinkState& s, const std::string& settingsPath) {
    RescanKeepingChosenPort(s);
    LinkDialog d = FilledDialog(s);
    Accepted a;
    do {
        if (!s.ui.show(d)) return;
    } while (!Validate(s, d, a));

    TakeOver(s, d, a);
    if (s.settings.linkType == kLinkTunnel && s.settings.firstByteWait < 7000)
        s.ui.message(MessageIcon::Warning, kTunnelWaitWarning, MessageButtons::Ok);

    if (a.shortAddress != s.settings.shortAddress) {
        s.settings.shortAddress = static_cast<std::uint8_t>(a.shortAddress);
        // Another address may well be another device.
        s.target.identified = false;
    }
    RestartPort(s, s.settings.linkType);
    SaveSettings(s, settingsPath);
    UpdateMainCaption(s);
    ClosePort(s);
}

}  // namespace quillon
