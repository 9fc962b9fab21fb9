#pragma once

#include <cstdint>
#include <string>

namespace quillon {

inline constexpr int kLinkDirect = 0;  // HART modem on the port
inline constexpr int kLinkTunnel = 1;  // through the flow computer
// HART-IP over the network (a gateway or a device). Not 2: older settings
// files hold type_connect=2 for a link without an item, and keep that meaning.
inline constexpr int kLinkHartIp = 3;

inline constexpr int kHartIpTcp = 0;
inline constexpr int kHartIpUdp = 1;

// How the tool reaches the device. Loaded from and saved to the settings file.
struct LinkSettings {
    int linkType = kLinkDirect;
    int portIndex = 0;  // index into the port list; 0 = no port chosen
    // The port the settings file keeps: its name and its place in the scan it
    // was chosen from. A port that vanishes is deselected for the run but
    // stays the stored choice until the user picks another.
    std::string storedPortName;
    int storedPortIndex = 0;
    int hartSpeedIndex = 0;
    int portSpeedIndex = 0;
    int masterAddress = 0;
    int firstByteWait = 1000;  // ms
    int nextByteWait = 300;    // ms
    std::uint8_t tunnelAddress = 255;
    std::uint8_t shortAddress = 1;  // 16 = no address entered
    bool souMode = false;
    int tunnelRequestFormat = 0;  // 0 = format 11, 1 = format 33
    int tunnelLine = 0;
    std::string tunnelPassword;  // bytes in the 8-bit code page of the flow computer
    std::string tunnelUserId;
    std::string resultFileName = "prot.ctr";
    bool resultFileEnabled = false;
    std::string settingsDirectory;

    // HART-IP: the server, how it is reached, and the waits that replace the byte waits.
    std::string hartIpHost = "127.0.0.1";
    int hartIpPort = 5094;
    int hartIpTransport = kHartIpTcp;
    int hartIpResponseTimeout = 3000;  // ms
    int hartIpInactivityTimer = 60000;  // ms, asked of the server at session initiate

    // Further device identities the engineer counts as this maker's, as the
    // settings file lists them (the device layer reads the list); never written.
    std::string ownDevices;
};

}  // namespace quillon
