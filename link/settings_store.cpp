#include "link/settings_store.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "link/ini_file.h"
#include "link/serial_link.h"

namespace quillon {

namespace {

constexpr const char* kSaveFailedText = "Не удалось сохранить параметры связи в файл ";

int InRangeOr(int value, int low, int high, int fallback) { return value < low || value > high ? fallback : value; }

// The load-time rules for everything but the port, which depends on the ports
// present at the next start. Shared by load and save so that a value the next
// load will correct cannot change the credential key behind the password's back.
void CorrectLoaded(LinkSettings& st) {
    st.linkType = InRangeOr(st.linkType, 0, 2, 0);
    st.hartSpeedIndex = InRangeOr(st.hartSpeedIndex, 0, 5, 0);
    st.masterAddress = InRangeOr(st.masterAddress, 0, 1, 0);
    if (st.portSpeedIndex < 0) st.portSpeedIndex = 2;
    st.firstByteWait = InRangeOr(st.firstByteWait, 10, 10000, 1000);
    st.nextByteWait = InRangeOr(st.nextByteWait, 10, 5000, 300);
    if (st.shortAddress > 16) st.shortAddress = 1;
    // Both are indexes into fixed lists (two formats, four lines) and go on the wire.
    st.tunnelRequestFormat = InRangeOr(st.tunnelRequestFormat, 0, 1, 0);
    st.tunnelLine = InRangeOr(st.tunnelLine, 0, 3, 0);
    st.hartIpPort = InRangeOr(st.hartIpPort, 1, 65535, 5094);
    st.hartIpTransport = InRangeOr(st.hartIpTransport, kHartIpTcp, kHartIpUdp, kHartIpTcp);
    st.hartIpResponseTimeout = InRangeOr(st.hartIpResponseTimeout, 100, 60000, 3000);
    st.hartIpInactivityTimer = InRangeOr(st.hartIpInactivityTimer, 1000, 3600000, 60000);
}

std::uint8_t Low(int value) { return static_cast<std::uint8_t>(value); }

std::string ReadScrambled(const IniFile& ini, char prefix, std::uint8_t key, std::size_t limit) {
    std::string text;
    for (std::size_t i = 0; i < limit; ++i) {
        const int stored = ini.ReadInteger(kSettingsSection, prefix + std::to_string(i), 256);
        if (stored >= 256) break;
        text += static_cast<char>(Low(stored) ^ key);
    }
    return text;
}

void WriteScrambled(IniFile& ini, char prefix, const std::string& text, std::uint8_t key, std::size_t limit) {
    const std::size_t length = std::min(text.size(), limit);
    for (std::size_t i = 0; i < length; ++i) {
        const auto scrambled = static_cast<std::int8_t>(static_cast<std::uint8_t>(text[i]) ^ key);
        ini.WriteInteger(kSettingsSection, prefix + std::to_string(i), scrambled);
    }
    ini.WriteInteger(kSettingsSection, prefix + std::to_string(length), 256);
}

}  // namespace

std::uint8_t SettingsKey(const LinkSettings& settings) {
    LinkSettings st = settings;
    CorrectLoaded(st);
    unsigned sum = Low(st.portIndex) + Low(st.linkType) + Low(st.portSpeedIndex) + Low(st.hartSpeedIndex) +
                   Low(st.firstByteWait) + Low(st.nextByteWait) + st.shortAddress;
    return static_cast<std::uint8_t>(sum);
}

void LoadSettings(LinkState& s, const std::string& path, const std::string& programDirectory) {
    // Paths are byte strings here, stored as they are so that any name survives.
    const TIniFileVant ini(path, s.decimalSeparator, IniEncoding::Utf8);
    const auto integer = [&](const char* key, int fallback) {
        return ini.ReadInteger(kSettingsSection, key, fallback);
    };
    LinkSettings& st = s.settings;

    st.settingsDirectory = ini.ReadString(kSettingsSection, "ini_dir_ident", programDirectory);
    st.linkType = integer("type_connect", 0);
    const int storedPortIndex = integer("num_port", 0);
    st.portIndex = storedPortIndex;
    const std::string portName = ini.ReadString(kSettingsSection, kPortNameKey, "");
    if (!portName.empty()) {
        // The index is only a position in the scan: a port that appeared or
        // went away since would make it point at another device. The name
        // says which device the user chose; when it is gone, no port is.
        st.portIndex = PortIndexOfName(s.port.portList, portName);
        st.storedPortName = portName;
        st.storedPortIndex = st.portIndex != 0 ? st.portIndex : storedPortIndex;
    } else {
        st.storedPortName = PortNameFromIndex(s);  // its range check puts a port that is gone back to none
        st.storedPortIndex = st.portIndex;
    }
    st.hartSpeedIndex = integer("hart_speed", 0);
    st.masterAddress = integer("MasterAddr", 0);
    st.portSpeedIndex = integer("speed", 0);
    st.firstByteWait = integer("first_byte_wait", 1000);
    st.nextByteWait = integer("next_byte_wait", 300);
    st.tunnelAddress = Low(integer("fl_addr", 255));
    const int shortAddress = integer("short_addr", 1);
    st.shortAddress = static_cast<std::uint8_t>(InRangeOr(shortAddress, 0, 16, 1));
    st.resultFileName = ini.ReadString(kSettingsSection, "fileprot_name", "prot.ctr");
    st.souMode = Low(integer("SOU", 0)) != 0;
    st.tunnelRequestFormat = integer("type_fl_request", 0);
    st.tunnelLine = integer("fl_num_line", 0);
    // Keys of their own: files written before HART-IP load as they did, and
    // older programs pass over keys they do not know.
    const bool hartIpLink = integer("hart_ip_link", 0) == 1;
    st.hartIpHost = ini.ReadString(kSettingsSection, "hart_ip_host", "127.0.0.1");
    st.hartIpPort = integer("hart_ip_port", 5094);
    st.hartIpTransport = integer("hart_ip_transport", kHartIpTcp);
    st.hartIpResponseTimeout = integer("hart_ip_timeout", 3000);
    st.hartIpInactivityTimer = integer("hart_ip_inactivity", 60000);
    st.ownDevices = ini.ReadString(kSettingsSection, "own_devices", "");
    CorrectLoaded(st);
    if (hartIpLink) st.linkType = kLinkHartIp;

    // The credentials were scrambled with the port index as it was written,
    // whatever the ports present now make of it; otherwise a port that went
    // away would silently alter the password, and the next save keep it so.
    LinkSettings asWritten = st;
    asWritten.portIndex = storedPortIndex;
    const std::uint8_t key = SettingsKey(asWritten);
    st.tunnelPassword = ReadScrambled(ini, 'p', key, kPasswordMaxLength);
    st.tunnelUserId = ReadScrambled(ini, 'i', key, kUserIdMaxLength);

    std::error_code error;
    if (!std::filesystem::is_directory(st.settingsDirectory, error)) st.settingsDirectory = programDirectory;
}

bool SaveSettings(LinkState& s, const std::string& path) {
    TIniFileVant ini(path, s.decimalSeparator, IniEncoding::Utf8);
    ini.setNewFileMode(0600);  // the password is only scrambled, not protected
    const LinkSettings& st = s.settings;
    const auto integer = [&](const char* key, int value) { ini.WriteInteger(kSettingsSection, key, value); };
    // A port deselected because it could not be opened (unplugged, say) is
    // still the user's choice: the next start finds it again when it is back.
    LinkSettings written = st;
    std::string portName = ChosenPortName(s);
    if (st.portIndex == 0 && !st.storedPortName.empty()) {
        written.portIndex = st.storedPortIndex;
        portName = st.storedPortName;
    }

    ini.WriteString(kSettingsSection, "ini_dir_ident", st.settingsDirectory);
    // type_connect keeps the values older programs know: with HART-IP chosen
    // they find the modem there, and hart_ip_link tells this program the rest.
    const bool hartIpLink = st.linkType == kLinkHartIp;
    integer("type_connect", hartIpLink ? kLinkDirect : st.linkType);
    integer("type_fl_request", st.tunnelRequestFormat);
    integer("fl_num_line", st.tunnelLine);
    integer("num_port", written.portIndex);
    ini.WriteString(kSettingsSection, kPortNameKey, portName);
    integer("hart_speed", st.hartSpeedIndex);
    integer("speed", st.portSpeedIndex);
    integer("MasterAddr", st.masterAddress);
    integer("first_byte_wait", st.firstByteWait);
    integer("next_byte_wait", st.nextByteWait);
    integer("fl_addr", st.tunnelAddress);
    integer("short_addr", st.shortAddress);
    integer("SOU", st.souMode ? 1 : 0);
    ini.WriteString(kSettingsSection, "fileprot_name", st.resultFileName);
    // A file of a user who never chose HART-IP stays as older versions wrote it.
    const LinkSettings defaults;
    if (hartIpLink || ini.ValueExists(kSettingsSection, "hart_ip_link") || st.hartIpHost != defaults.hartIpHost ||
        st.hartIpPort != defaults.hartIpPort || st.hartIpTransport != defaults.hartIpTransport ||
        st.hartIpResponseTimeout != defaults.hartIpResponseTimeout ||
        st.hartIpInactivityTimer != defaults.hartIpInactivityTimer) {
        integer("hart_ip_link", hartIpLink ? 1 : 0);
        ini.WriteString(kSettingsSection, "hart_ip_host", st.hartIpHost);
        integer("hart_ip_port", st.hartIpPort);
        integer("hart_ip_transport", st.hartIpTransport);
        integer("hart_ip_timeout", st.hartIpResponseTimeout);
        integer("hart_ip_inactivity", st.hartIpInactivityTimer);
    }
    const std::uint8_t key = SettingsKey(written);
    WriteScrambled(ini, 'p', st.tunnelPassword, key, kPasswordMaxLength);
    WriteScrambled(ini, 'i', st.tunnelUserId, key, kUserIdMaxLength);

    std::string error;
    if (ini.Save(error)) return true;
    s.ui.message(MessageIcon::Error, kSaveFailedText + path + "\nОшибка: " + error, MessageButtons::Ok);
    return false;
}

}  // namespace quillon
