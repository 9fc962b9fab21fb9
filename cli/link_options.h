#pragma once

#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace quillon {
struct AppState;
}

namespace quillon::cli {

// The link as the command line changes it. Everything starts from the
// settings file, found as the GUI finds it; each flag given overrides one
// setting for this run only.
struct LinkOptions {
    std::optional<std::string> settingsFile;
    bool saveSettings = false;

    // Link kind: at most one of these flags. A new kind adds its flag to
    // AddLinkOptions and its settings to ApplyLinkKind.
    bool direct = false;
    bool tunnel = false;
    std::optional<std::string> hartIp;  // HOST[:PORT] of a HART-IP server or device
    bool udp = false;                   // HART-IP over UDP instead of TCP

    std::optional<std::string> port;   // as the scan shows it, a device path, or COMn
    std::optional<std::string> speed;  // baud rate of the link kind's speed options
    std::optional<int> address;        // short address
    std::optional<int> master;         // 0 secondary, 1 primary
    std::optional<int> firstByteWait;  // ms
    std::optional<int> nextByteWait;   // ms

    // Flow computer.
    std::optional<int> fcAddress;
    std::optional<std::string> fcPassword;
    std::optional<std::string> fcUser;
    std::optional<int> fcFormat;  // 11 or 33
    std::optional<int> fcLine;    // 1..4
    bool sou = false;
};

void AddLinkOptions(CLI::App& app, LinkOptions& options);

// The settings file this run reads (and writes with --save-settings).
std::string SettingsPathFor(const LinkOptions& options);

// What SelectLink found wrong: nothing (an empty text), a value typed wrong
// (`usage`), or a link that is not there.
struct LinkChoice {
    std::string error;
    bool usage = false;
};

// Scans the ports, loads the settings and applies the flags.
LinkChoice SelectLink(AppState& s, const LinkOptions& options);

// Why the settings file named by --settings cannot be read (missing, a
// folder, unreadable); empty when it can.
std::string SettingsFileProblem(const std::string& path);

// The speed options of the current link kind, as --speed takes them.
std::string SpeedChoicesText(int linkType);

}  // namespace quillon::cli
