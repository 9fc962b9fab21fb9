#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/app_state.h"

namespace quillon {

inline constexpr std::uint8_t kTunnelAnswerStart = 0x66;

// Rebuilds the port list: element 0 (no port), then every port that exists.
void ScanPorts(AppState& s);
bool PortExists(AppState& s, const std::string& name);
// Name of the chosen port; falls back to no port when portIndex is out of range.
std::string PortNameFromIndex(AppState& s);
// The name shown to the user: "COM3" on Windows, the device name ("ttyUSB0") here.
std::string PortDisplayName(const std::string& portName);

// Closes any open port, then opens and configures the chosen one. On failure
// the system's error text is shown and the port is deselected.
void OpenPort(AppState& s);
void ClosePort(AppState& s);
void EnsurePortOpen(AppState& s);
void RestartPort(AppState& s, int newLinkType);
bool PortIsOpen(const AppState& s);

// Transmits with RTS raised until the last bit has had time to leave the line.
void SendFrame(AppState& s, const std::uint8_t* bytes, std::size_t count);

// Collects an answer into the exchange buffer; returns the answer length or
// the partial count (0 = nothing usable arrived).
std::size_t ReceiveAnswer(AppState& s, int firstWait, int nextWait, std::uint8_t startByte);

// The short pause some RS-485 speed options need between exchanges.
void InterExchangePause(AppState& s);

// Nudges a flow computer that went silent: "sk" at the five lowest speeds.
void RecoverPort(AppState& s);

// Waits `milliseconds` while processing window messages; false when Enter or
// Stop ended the wait early.
bool PauseProcessingEvents(AppState& s, int milliseconds, bool endOnEnter);

// Runs `body` between EnsurePortOpen and ClosePort, closing the port however it ends.
template <typename Body>
auto WithPortOpen(AppState& s, Body&& body) {
    struct Closer {
        AppState& s;
        ~Closer() { ClosePort(s); }
    } closer{s};
    EnsurePortOpen(s);
    return body();
}

}  // namespace quillon
