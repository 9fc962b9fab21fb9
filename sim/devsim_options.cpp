#include "sim/devsim_options.h"

#include <charconv>
#include <functional>
#include <map>
#include <stdexcept>

#include "link/line_settings.h"
#include "link/link_settings.h"
#include "sim/calibration_examples.h"

namespace quillon::sim {

namespace {

template <typename T>
bool ParseNumber(const std::string& text, long min, long max, T& out) {
    long v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || end != text.data() + text.size() || v < min || v > max) return false;
    out = static_cast<T>(v);
    return true;
}

bool ParseLongAddress(const std::string& text, std::array<std::uint8_t, 5>& out) {
    if (text.size() != 10) return false;
    for (std::size_t i = 0; i < 5; ++i) {
        unsigned v = 0;
        auto [end, ec] = std::from_chars(text.data() + 2 * i, text.data() + 2 * i + 2, v, 16);
        if (ec != std::errc{} || end != text.data() + 2 * i + 2) return false;
        out[i] = static_cast<std::uint8_t>(v);
    }
    return true;
}

// PRESET,ADDRESS[,LONGADDRESS[,TAG]]
bool ParseExtraDevice(const std::string& text, DevsimOptions::ExtraDevice& out) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t comma; (comma = text.find(',', from)) != std::string::npos; from = comma + 1)
        parts.push_back(text.substr(from, comma - from));
    parts.push_back(text.substr(from));
    if (parts.size() < 2 || parts.size() > 4 || parts[0].empty()) return false;
    out.preset = parts[0];
    if (!ParseNumber(parts[1], 0, 63, out.shortAddress)) return false;
    if (parts.size() >= 3 && !parts[2].empty() && !ParseLongAddress(parts[2], out.longAddress.emplace())) return false;
    if (parts.size() == 4) out.tag = parts[3];
    return true;
}

}  // namespace

DeviceProfile DevsimOptions::extraProfile(std::size_t index) const {
    const ExtraDevice& e = extraDevices.at(index);
    DeviceProfile p = Preset(e.preset);
    if (e.longAddress) {
        p.longAddress = *e.longAddress;
    } else {
        // Devices on one line must differ in their long address too.
        p.longAddress[4] = static_cast<std::uint8_t>(p.longAddress[4] + 1 + index);
    }
    p.shortAddress = e.shortAddress;
    if (e.shortAddress > 15) p.pollingAddressBits = 6;
    if (e.tag) p.tag = *e.tag;
    return p;
}

LineSettings DevsimOptions::line() const {
    LineSettings l{1200, Parity::Odd};
    if (flowComputer) l = {9600, Parity::None};
    LinkSettings s;
    if (hartSpeedIndex) {
        s.linkType = kLinkDirect;
        s.hartSpeedIndex = *hartSpeedIndex;
        l = LineSettingsFor(s);
    }
    if (tunnelSpeedIndex) {
        s.linkType = kLinkTunnel;
        s.portSpeedIndex = *tunnelSpeedIndex;
        l = LineSettingsFor(s);
    }
    if (baud) l.baud = *baud;
    if (parity) l.parity = *parity;
    return l;
}

DeviceProfile DevsimOptions::profile() const {
    DeviceProfile p = Preset(preset);
    if (softwareRevision) p.softwareRevision = *softwareRevision;
    if (hardwareRevision) p.hardwareRevision = *hardwareRevision;
    if (deviceRevision) p.deviceRevision = *deviceRevision;
    if (longAddress) p.longAddress = *longAddress;
    if (shortAddress) p.shortAddress = *shortAddress;
    if (preambles) {
        p.responsePreambles = *preambles;
        if (p.settings.count(kSettingPreambles)) p.settings[kSettingPreambles] = *preambles;
    }
    if (tag) p.tag = *tag;
    p.protection = {locked, refusalCode};
    // The calibration follows the final revisions, so it is made last.
    ClearCalibration(p);
    if (!noCalibration) GiveExampleCalibration(p);
    if (calibrationFile) {
        const std::string error = LoadCalibrationFileIntoDevice(p, *calibrationFile);
        if (!error.empty()) throw std::invalid_argument("--calibration: " + error);
    }
    return p;
}

std::optional<DevsimOptions> ParseDevsimOptions(const std::vector<std::string>& args, std::string& error) {
    DevsimOptions o;
    using Setter = std::function<bool(const std::string&)>;
    const std::map<std::string, Setter> withValue = {
        {"--preset",
         [&](const std::string& v) {
             o.preset = v;
             return true;
         }},
        {"--software-revision",
         [&](const std::string& v) { return ParseNumber(v, 0, 255, o.softwareRevision.emplace()); }},
        {"--hardware-revision",
         [&](const std::string& v) { return ParseNumber(v, 0, 255, o.hardwareRevision.emplace()); }},
        {"--device-revision", [&](const std::string& v) { return ParseNumber(v, 0, 255, o.deviceRevision.emplace()); }},
        {"--long-address", [&](const std::string& v) { return ParseLongAddress(v, o.longAddress.emplace()); }},
        {"--short-address", [&](const std::string& v) { return ParseNumber(v, 0, 63, o.shortAddress.emplace()); }},
        {"--preambles", [&](const std::string& v) { return ParseNumber(v, 2, 50, o.preambles.emplace()); }},
        {"--tag",
         [&](const std::string& v) {
             o.tag = v;
             return true;
         }},
        {"--refusal-code",
         [&](const std::string& v) {
             // 7 and 16 are the write lock; any other code makes a device that refuses its writes
             // with that error, for trying how the tool reports a refusal that is no lock.
             return ParseNumber(v, 1, 127, o.refusalCode);
         }},
        {"--seed", [&](const std::string& v) { return ParseNumber(v, 0, 0xFFFFFFFFL, o.seed); }},
        {"--baud", [&](const std::string& v) { return ParseNumber(v, 50, 4'000'000, o.baud.emplace()); }},
        {"--parity",
         [&](const std::string& v) {
             if (v == "odd")
                 o.parity = Parity::Odd;
             else if (v == "none")
                 o.parity = Parity::None;
             else
                 return false;
             return true;
         }},
        {"--hart-speed",
         [&](const std::string& v) {
             return ParseNumber(v, 0, kHartSpeedOptionCount - 1, o.hartSpeedIndex.emplace());
         }},
        {"--tunnel-speed",
         [&](const std::string& v) { return ParseNumber(v, 0, kTunnelSpeedCount - 1, o.tunnelSpeedIndex.emplace()); }},
        {"--turnaround-ms", [&](const std::string& v) { return ParseNumber(v, 0, 60'000, o.turnaroundMs); }},
        {"--fault",
         [&](const std::string& v) {
             auto f = FaultFromName(v);
             if (f) o.fault = *f;
             return f.has_value();
         }},
        {"--name",
         [&](const std::string& v) {
             o.portName = v;
             return !v.empty() && v.find('/') == std::string::npos;
         }},
        {"--fc-address", [&](const std::string& v) { return ParseNumber(v, 0, 255, o.fc.address); }},
        {"--fc-password",
         [&](const std::string& v) {
             o.fc.password = v;
             return true;
         }},
        {"--fc-user",
         [&](const std::string& v) {
             o.fc.userId = v;
             o.fc.souMode = true;
             return true;
         }},
        {"--fc-format",
         [&](const std::string& v) {
             return ParseNumber(v, 11, 33, o.fc.format) && (o.fc.format == 11 || o.fc.format == 33);
         }},
        {"--calibration",
         [&](const std::string& v) {
             o.calibrationFile = v;
             return !v.empty();
         }},
        {"--fc-line", [&](const std::string& v) { return ParseNumber(v, 1, 4, o.fc.line); }},
        {"--hart-ip",
         [&](const std::string& v) { return ParseHartIpAddress(v, o.hartIpHost.emplace(), o.hartIpPort); }},
        {"--hart-ip-fault",
         [&](const std::string& v) {
             o.hartIpFault = HartIpFaultFromName(v);
             return o.hartIpFault.has_value();
         }},
        {"--hart-ip-fault-after",
         [&](const std::string& v) { return ParseNumber(v, 0, 1'000'000, o.hartIpFaultAfter); }},
        {"--add-device",
         [&](const std::string& v) { return ParseExtraDevice(v, o.extraDevices.emplace_back()); }},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h")
            o.help = true;
        else if (a == "--version")
            o.version = true;
        else if (a == "--log")
            o.log = true;
        else if (a == "--locked")
            o.locked = true;
        else if (a == "--no-calibration")
            o.noCalibration = true;
        else if (a == "--flow-computer")
            o.flowComputer = true;
        else if (auto it = withValue.find(a); it != withValue.end()) {
            if (i + 1 >= args.size()) {
                error = "option " + a + " needs a value";
                return std::nullopt;
            }
            if (!it->second(args[++i])) {
                error = "bad value for " + a + ": " + args[i];
                return std::nullopt;
            }
        } else {
            error = "unknown option: " + a;
            return std::nullopt;
        }
    }
    if (!o.extraDevices.empty() && o.flowComputer) {
        error = "--add-device serves a HART modem line, not one behind --flow-computer";
        return std::nullopt;
    }
    if (o.hartIpHost && o.flowComputer) {
        error = "--hart-ip serves the device itself, not one behind --flow-computer";
        return std::nullopt;
    }
    if ((o.hartIpFault || o.hartIpFaultAfter) && !o.hartIpHost) {
        error = "--hart-ip-fault needs --hart-ip";
        return std::nullopt;
    }
    try {
        (void)o.profile();
        for (std::size_t i = 0; i < o.extraDevices.size(); ++i) (void)o.extraProfile(i);
    } catch (const std::invalid_argument& e) {
        error = e.what();
        return std::nullopt;
    }
    return o;
}

std::string DevsimUsage() {
    std::string presets;
    for (const auto& n : PresetNames()) presets += " " + n;
    std::string faults;
    for (auto n : FaultNames()) faults += " " + std::string(n);
    std::string ipFaults;
    for (auto n : HartIpFaultNames()) ipFaults += " " + std::string(n);
    return "Usage: quillon-devsim [options]\n"
           "Serves a simulated HART field device on a pseudo-terminal and publishes it\n"
           "in the virtual-ports folder, where the tool offers it as a serial port.\n"
           "\n"
           "Device:\n"
           "  --preset NAME              firmware family (default rev6):" +
           presets +
           "\n"
           "  --software-revision N      --hardware-revision N   --device-revision N\n"
           "  --long-address HEX10       five bytes, e.g. 260F092964\n"
           "  --short-address N          polling address (default from the preset, 0)\n"
           "  --preambles N              preambles before each answer\n"
           "  --tag TEXT                 --seed N (noise of the live values)\n"
           "  --add-device PRESET,ADDR[,HEX10[,TAG]]  one more device on the same line\n"
           "                             at short address ADDR (repeatable)\n"
           "  --locked                   start write-protected (press the button to write)\n"
           "  --refusal-code N           code of a refused write: 7 or 16 (the lock), or\n"
           "                             any other error code up to 127\n"
           "Calibration (each preset starts with a factory calibration of its form):\n" +
           CalibrationPresetTable() +
           "  --calibration FILE         put a .clb file into the device's memory\n"
           "  --no-calibration           start uncalibrated (reads answer as a new device)\n"
           "Line:\n"
           "  --baud N  --parity odd|none    pacing of the answers (default 1200 odd)\n"
           "  --hart-speed INDEX         speed option 0-5 of the link dialog\n"
           "  --tunnel-speed INDEX       flow-computer speed 0-15 of the link dialog\n"
           "  --turnaround-ms N          pause before an answer (default 20)\n"
           "  --fault NAME               inject on every answer:" +
           faults +
           "\n"
           "  --name PORTNAME            name in the virtual-ports folder (default sim0)\n"
           "Flow computer in front of the device:\n"
           "  --flow-computer  --fc-address N  --fc-password TEXT  --fc-user ID (SOU mode)\n"
           "  --fc-format 11|33 (accept only that format)  --fc-line N (1-4)\n"
           "  (a flow computer's line defaults to 9600 baud, no parity)\n"
           "HART-IP (a gateway or a HART-IP device in front of the same device):\n"
           "  --hart-ip HOST:PORT        serve HART-IP on TCP and UDP there instead of\n"
           "                             announcing the pseudo-terminal (PORT 0: any free port;\n"
           "                             the first line printed is HOST:PORT)\n"
           "  --hart-ip-fault NAME       spoil the first token-passing answer once:" +
           ipFaults +
           "\n"
           "                             (ip-restart: the server forgets every session, as\n"
           "                             a restarted one has, and the answer is lost)\n"
           "  --hart-ip-fault-after N    answer N token-passing requests first (default 0)\n"
           "  --log                      hex log of every request and answer on stderr\n"
           "  --version                  print the version and exit\n"
           "  --help                     print this help and exit\n"
           "\n"
           "Console commands: button, lock [7|16], fault NAME [always], fault off,\n"
           "calibration [load FILE | clear], status, help, quit. SIGUSR1 presses the button; SIGINT/SIGTERM quit.\n";
}

}  // namespace quillon::sim
