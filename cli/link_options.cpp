#include "cli/link_options.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/app_state.h"
#include "cli/number_options.h"
#include "link/com_ports.h"
#include "link/cp1251.h"
#include "link/hart_ip_link.h"
#include "link/line_settings.h"
#include "link/serial_link.h"
#include "link/settings_store.h"

namespace quillon::cli {

namespace {

// How --speed names the speed options: the baud rate, and for the one rate
// offered with and without parity a suffix.
std::string SpeedName(const LinkSettings& settings) {
    const LineSettings line = LineSettingsFor(settings);
    std::string name = std::to_string(line.baud);
    if (settings.linkType == kLinkDirect && line.baud == 38400 && line.parity != Parity::None) name += "-odd";
    return name;
}

std::optional<int> SpeedIndex(int linkType, const std::string& text) {
    LinkSettings probe;
    probe.linkType = linkType;
    const int count = linkType == kLinkDirect ? kHartSpeedOptionCount : kTunnelSpeedCount;
    for (int i = 0; i < count; ++i) {
        (linkType == kLinkDirect ? probe.hartSpeedIndex : probe.portSpeedIndex) = i;
        if (SpeedName(probe) == text) return i;
    }
    return std::nullopt;
}

// Finds the port the user named in the scanned list, or adds a port the scan
// could not know (a path, COMn): the user said where the device is.
std::string ChoosePort(AppState& s, const std::string& name) {
    auto& list = s.port.portList;
    int index = PortIndexOfName(list, name);
    if (index == 0)
        for (std::size_t i = 1; i < list.size(); ++i)
            if (PortDisplayName(list[i]) == name) index = static_cast<int>(i);
    if (index == 0) {
        if (const auto number = ComPortNumber(name)) {
            const std::string com = ComPortName(*number);
            index = PortIndexOfName(list, com);
            if (index == 0) {
                list.push_back(com);
                index = static_cast<int>(list.size() - 1);
            }
        } else if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos) {
            // Said here, with the path: the port's own error would name only the cause.
            std::error_code ec;
            if (!std::filesystem::exists(name, ec)) return "Порт " + name + " не найден: такого файла нет";
            list.push_back(name);
            index = static_cast<int>(list.size() - 1);
        } else {
            return "Порт " + name + " не найден; список портов: quillon-cli ports";
        }
    }
    s.settings.portIndex = index;
    return {};
}

// An empty result means the kind is set; otherwise the text says what is wrong.
std::string ApplyLinkKind(LinkSettings& st, const LinkOptions& o) {
    if (o.direct) st.linkType = kLinkDirect;
    if (o.tunnel) st.linkType = kLinkTunnel;
    if (o.hartIp) {
        std::string host;
        int port = 0;
        if (!ParseHartIpEndpoint(*o.hartIp, host, port))
            return "Адрес HART-IP " + *o.hartIp + " не распознан; ожидается HOST[:PORT]";
        UseHartIp(st, host, port, o.udp ? kHartIpUdp : kHartIpTcp);
    } else if (o.udp && st.linkType == kLinkHartIp) {
        st.hartIpTransport = kHartIpUdp;
    }
    return {};
}

}  // namespace

void AddLinkOptions(CLI::App& app, LinkOptions& o) {
    const std::string g = "Link (each overrides the settings file for this run; [default] is the value without one)";
    const LinkSettings d;
    app.add_option("--settings", o.settingsFile, "settings file to read instead of Quillon.ini")
        // Not the path of whoever built the program: the manual page is made from this help.
        ->default_str("Quillon.ini where the GUI keeps it")
        ->group(g);
    app.add_flag("--save-settings", o.saveSettings, "write the link as used back to the settings file")->group(g);
    auto* direct = app.add_flag("--direct", o.direct, "HART modem on the port [default]")->group(g);
    auto* tunnel = app.add_flag("--tunnel", o.tunnel, "through the flow computer")->group(g);
    auto* hartIp = app.add_option("--hart-ip", o.hartIp, "HART-IP server or device, HOST[:PORT] (port 5094 by default)")
                       ->group(g);
    direct->excludes(tunnel);
    hartIp->excludes(direct)->excludes(tunnel);
    app.add_flag("--udp", o.udp, "HART-IP over UDP instead of TCP")->group(g);
    app.add_option("-p,--port", o.port, "port: name as `ports` lists it, device path, or COMn")->group(g);
    app.add_option("-s,--speed", o.speed,
                   "speed: modem " + SpeedChoicesText(kLinkDirect) + "; flow computer " +
                       SpeedChoicesText(kLinkTunnel))
        ->default_str(SpeedChoicesText(kLinkDirect).substr(0, SpeedChoicesText(kLinkDirect).find(',')))
        ->group(g);
    AddWhole(app, "-a,--address", o.address, "short address of the device", 0, 63)
        ->default_str(std::to_string(d.shortAddress))
        ->group(g);
    AddWhole(app, "--master", o.master, "master: 0 secondary, 1 primary", 0, 1)
        ->default_str(std::to_string(d.masterAddress))
        ->group(g);
    AddWhole(app, "--first-byte-wait", o.firstByteWait, "wait for the first answer byte, ms", 1, 600000)
        ->default_str(std::to_string(d.firstByteWait))
        ->group(g);
    AddWhole(app, "--next-byte-wait", o.nextByteWait, "wait between answer bytes, ms", 1, 600000)
        ->default_str(std::to_string(d.nextByteWait))
        ->group(g);
    AddWhole(app, "--fc-address", o.fcAddress, "flow computer's address", 0, 255)
        ->default_str(std::to_string(d.tunnelAddress))
        ->group(g);
    app.add_option("--fc-password", o.fcPassword, "flow computer's password")->group(g);
    app.add_option("--fc-user", o.fcUser, "flow computer's user ID")->group(g);
    AddWhole(app, "--fc-format", o.fcFormat, "flow computer's request format, 11 or 33", 11, 33)
        ->check(CLI::IsMember({"11", "33"}))
        ->default_str("11")
        ->group(g);
    AddWhole(app, "--fc-line", o.fcLine, "flow computer's HART line, 1-4", 1, 4)->default_str("1")->group(g);
    app.add_flag("--sou", o.sou, "flow computer in SOU mode")->group(g);
}

std::string SettingsPathFor(const LinkOptions& o) { return o.settingsFile ? *o.settingsFile : SettingsFilePath(); }

std::string SpeedChoicesText(int linkType) {
    LinkSettings probe;
    probe.linkType = linkType;
    const int count = linkType == kLinkDirect ? kHartSpeedOptionCount : kTunnelSpeedCount;
    std::string text;
    for (int i = 0; i < count; ++i) {
        (linkType == kLinkDirect ? probe.hartSpeedIndex : probe.portSpeedIndex) = i;
        text += (i ? ", " : "") + SpeedName(probe);
    }
    return text;
}

std::string SettingsFileProblem(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (path.empty()) return "Файл настроек не задан: --settings требует имени файла";
    if (!std::filesystem::exists(status)) return "Файл настроек " + path + " не найден";
    if (std::filesystem::is_directory(status)) return "Файл настроек " + path + " — это папка, а не файл";
    std::ifstream probe(path);
    if (!probe) return "Файл настроек " + path + " не читается: " + std::strerror(errno);
    return {};
}

LinkChoice SelectLink(AppState& s, const LinkOptions& o) {
    // A settings file named on the command line must be the one read: quietly
    // falling back to the defaults would send to another port or address.
    if (o.settingsFile)
        if (std::string problem = SettingsFileProblem(*o.settingsFile); !problem.empty()) return {problem, true};
    ScanPorts(s);
    std::error_code ec;
    LoadSettings(s, SettingsPathFor(o), std::filesystem::current_path(ec).string());
    LinkSettings& st = s.settings;
    if (std::string error = ApplyLinkKind(st, o); !error.empty()) return {error, true};
    if (o.port) {
        if (std::string error = ChoosePort(s, *o.port); !error.empty()) return {error, false};
    }
    if (o.speed) {
        const auto index = SpeedIndex(st.linkType, *o.speed);
        if (!index)
            return {"Скорость " + *o.speed + " не предусмотрена; возможны: " + SpeedChoicesText(st.linkType), true};
        (st.linkType == kLinkDirect ? st.hartSpeedIndex : st.portSpeedIndex) = *index;
    }
    if (o.address) st.shortAddress = static_cast<std::uint8_t>(*o.address);
    if (o.master) st.masterAddress = *o.master;
    if (o.firstByteWait) st.firstByteWait = *o.firstByteWait;
    if (o.nextByteWait) st.nextByteWait = *o.nextByteWait;
    if (o.fcAddress) st.tunnelAddress = static_cast<std::uint8_t>(*o.fcAddress);
    // Credentials travel in the flow computer's 8-bit code page.
    if (o.fcPassword) st.tunnelPassword = Utf8ToCp1251(*o.fcPassword);
    if (o.fcUser) st.tunnelUserId = Utf8ToCp1251(*o.fcUser);
    if (o.fcFormat) st.tunnelRequestFormat = *o.fcFormat == 33 ? 1 : 0;
    if (o.fcLine) st.tunnelLine = *o.fcLine - 1;
    if (o.sou) st.souMode = true;
    if (st.portIndex == 0 && st.linkType != kLinkHartIp)
        return {"Порт не выбран: укажите --port (список: quillon-cli ports)", true};
    return {};
}

}  // namespace quillon::cli
