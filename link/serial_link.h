#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/link_state.h"

namespace quillon {

inline constexpr std::uint8_t kTunnelAnswerStart = 0x66;

// Rebuilds the port list: element 0 (no port), then every port that exists.
void ScanPorts(LinkState& s);
bool PortExists(LinkState& s, const std::string& name);
// Name of the chosen port; falls back to no port when portIndex is out of range.
std::string PortNameFromIndex(LinkState& s);
// Name of the chosen port without touching the settings: "" when none is
// chosen or the index lies beyond the last scan.
std::string ChosenPortName(const LinkState& s);
// Position of the port called `name` in the last scan, 0 (no port) when absent.
int PortIndexOfName(const std::vector<std::string>& portList, const std::string& name);
// The name shown to the user: "COM3" on Windows, the device name ("ttyUSB0") here.
std::string PortDisplayName(const std::string& portName);

// Closes any open port, then opens and configures the chosen one. On failure
// the system's error text is shown and the port is deselected.
void OpenPort(LinkState& s);
// Opens the chosen port without a word when it fails, leaving it chosen: for
// a caller that reports the failure in its own terms.
bool OpenPortQuietly(LinkState& s);
void ClosePort(LinkState& s);
void EnsurePortOpen(LinkState& s);
void RestartPort(LinkState& s, int newLinkType);
bool PortIsOpen(const LinkState& s);

// Transmits with RTS raised until the last bit has had time to leave the line.
void SendFrame(LinkState& s, const std::uint8_t* bytes, std::size_t count);

// Collects an answer into the exchange buffer; returns the answer length or
// the partial count (0 = nothing usable arrived).
std::size_t ReceiveAnswer(LinkState& s, int firstWait, int nextWait, std::uint8_t startByte);

// The short pause some RS-485 speed options need between exchanges.
void InterExchangePause(LinkState& s);

// Nudges a flow computer that went silent: "sk" at the five lowest speeds.
void RecoverPort(LinkState& s);

// Waits `milliseconds` while processing window messages; false when Enter or
// Stop ended the wait early.
bool PauseProcessingEvents(LinkState& s, int milliseconds, bool endOnEnter);

// Runs `body` between EnsurePortOpen and ClosePort, closing the port however it ends.
template <typename Body>
auto WithPortOpen(LinkState& s, Body&& body) {
    struct Closer {
        LinkState& s;
        ~Closer() { ClosePort(s); }
    } closer{s};
    EnsurePortOpen(s);
    return body();
}

}  // namespace quillon
