#include "link/serial_link.h"

#include <algorithm>
#include <array>

#include "link/frame_codec.h"
#include "link/line_settings.h"
#include "link/main_caption.h"

namespace quillon {

void ScanPorts(LinkState& s) {
    s.port.portList.assign(1, std::string{});
    for (const auto& name : s.ports.candidates())
        if (PortExists(s, name)) s.port.portList.push_back(name);
}

bool PortExists(LinkState& s, const std::string& name) {
    OpenError error;
    auto port = s.ports.open(name, error);
    if (port) return true;
    // A busy, forbidden or faulty port is still there; the user may want to
    // pick it, and is told why it does not open when it is chosen.
    return error.kind == OpenFailure::Busy || error.kind == OpenFailure::AccessDenied ||
           error.kind == OpenFailure::Faulty;
}

std::string PortNameFromIndex(LinkState& s) {
    auto& index = s.settings.portIndex;
    if (index < 0 || static_cast<std::size_t>(index) >= s.port.portList.size()) index = 0;
    return s.port.portList[static_cast<std::size_t>(index)];
}

std::string ChosenPortName(const LinkState& s) {
    const auto& list = s.port.portList;
    const int index = s.settings.portIndex;
    return index > 0 && static_cast<std::size_t>(index) < list.size() ? list[static_cast<std::size_t>(index)]
                                                                      : std::string{};
}

int PortIndexOfName(const std::vector<std::string>& portList, const std::string& name) {
    for (std::size_t i = 1; i < portList.size(); ++i)
        if (portList[i] == name) return static_cast<int>(i);
    return 0;
}

std::string PortDisplayName(const std::string& portName) {
    auto slash = portName.find_last_of('/');
    return slash == std::string::npos ? portName : portName.substr(slash + 1);
}

bool PortIsOpen(const LinkState& s) { return s.port.handle != nullptr; }

void ClosePort(LinkState& s) { s.port.handle.reset(); }

namespace {

// Opens and configures the chosen port; on failure, the system's words for why.
bool OpenChosenPort(LinkState& s, std::string& errorText) {
    const std::string name = PortNameFromIndex(s);
    if (name.empty()) return false;
    OpenError error;
    auto port = s.ports.open(name, error);
    if (!port) {
        errorText = error.text;
        return false;
    }
    // Opening raises RTS on Linux, which keys a HART modem: its carrier
    // would hold the loop until the first request.
    port->setRts(false);
    if (!port->configure(LineSettingsFor(s.settings))) {
        errorText = port->lastErrorText();
        return false;
    }
    // Leaving a zero baud rate raises the lines again on some drivers.
    port->setRts(false);
    port->setDtr(true);
    port->purge(true, true);
    s.port.handle = std::move(port);
    return true;
}

}  // namespace

void OpenPort(LinkState& s) {
    ClosePort(s);
    if (s.settings.portIndex == 0) return;
    std::string errorText;
    if (OpenChosenPort(s, errorText)) return;
    s.port.handle.reset();
    // Deselected for this run, but still the user's choice for the next.
    if (const std::string name = PortNameFromIndex(s); !name.empty()) {
        s.settings.storedPortName = name;
        s.settings.storedPortIndex = s.settings.portIndex;
    }
    s.settings.portIndex = 0;
    s.ui.message(MessageIcon::Information, errorText, MessageButtons::Ok, "GetLastError");
    // Wherever this happens (start-up, a command, a recovery inside a poll),
    // the caption must stop naming the port.
    UpdateMainCaption(s);
}

bool OpenPortQuietly(LinkState& s) {
    ClosePort(s);
    if (s.settings.portIndex == 0) return false;
    std::string errorText;
    return OpenChosenPort(s, errorText);
}

void EnsurePortOpen(LinkState& s) {
    // HART-IP needs no serial port; its session opens with the first request.
    if (s.settings.linkType == kLinkHartIp) return;
    if (!s.port.handle && s.settings.portIndex != 0) OpenPort(s);
}

void RestartPort(LinkState& s, int newLinkType) {
    ClosePort(s);
    if (newLinkType == kLinkDirect || newLinkType == kLinkTunnel) OpenPort(s);
}

void SendFrame(LinkState& s, const std::uint8_t* bytes, std::size_t count) {
    auto& port = s.port.handle;
    if (!port) return;
    const std::int64_t ticks = TransmissionTicks(count, LineSettingsFor(s.settings), s.port.performanceFrequency);
    const std::int64_t sendStart = s.clock.counter();
    s.port.lastRtsLateness = port->sendKeyed(bytes, count, ticks, s.clock);
    ++s.requestsSent;
    if (s.tap) {
        // The port purges before it sends; the drop time counts from the start
        // of the send, a few microseconds before the port's own deadline.
        s.tap->purged(true, true);
        s.tap->frameSent(bytes, count, sendStart + ticks + s.port.lastRtsLateness);
    }
}

bool PauseProcessingEvents(LinkState& s, int milliseconds, bool endOnEnter) {
    const std::uint32_t start = s.clock.tickMs();
    for (;;) {
        s.ui.processEvents();
        if (s.flags.stopRequested || (endOnEnter && s.flags.enterPressed)) return false;
        const std::uint32_t elapsed = s.clock.tickMs() - start;
        if (elapsed >= static_cast<std::uint32_t>(milliseconds)) return true;
        s.clock.sleepMs(std::min<int>(10, milliseconds - static_cast<int>(elapsed)));
    }
}

namespace {

bool TunnelAddressAccepted(const LinkState& s, const std::uint8_t* frame, std::size_t count) {
    return count != 2 || frame[1] == s.settings.tunnelAddress;
}

std::size_t CompleteLength(const LinkState& s, std::uint8_t startByte, const std::uint8_t* frame, std::size_t count) {
    if (s.settings.linkType == kLinkTunnel) {
        if (count >= 3 && count >= frame[2]) return frame[2];
        return 0;
    }
    return CompleteAnswerLength(startByte, frame, count);
}

// Slices of a wait: short enough that window messages stay lively.
constexpr int kWaitSliceMs = 10;

}  // namespace

std::size_t ReceiveAnswer(LinkState& s, int firstWait, int nextWait, std::uint8_t startByte) {
    auto& b = s.buffer;
    b.rawAnswerCount = 0;
    b.lineErrors = 0;
    std::size_t count = 0;
    bool readAnything = false;
    const bool tunnel = s.settings.linkType == kLinkTunnel;
    SerialPort* port = s.port.handle.get();

    if (port) {
        port->takeLineErrors();
        port->purge(false, true);  // drops our own echo and anything stale
        if (s.tap) s.tap->purged(false, true);
    }
    if (s.settings.linkType == kLinkDirect && s.settings.hartSpeedIndex == 1) {
        if (!PauseProcessingEvents(s, 120, true)) return 0;
    }

    std::uint32_t t = s.clock.tickMs();
    std::array<std::uint8_t, 500> chunk{};
    for (;;) {
        s.ui.processEvents();
        if (s.flags.enterPressed || s.flags.stopRequested) return count;

        long n = port ? port->read(chunk.data(), chunk.size()) : 0;
        if (n < 0) {
            const int errors = port->takeLineErrors() & (kLineOverrun | kLineParity | kLineFraming);
            if (errors != 0 && readAnything) {
                b.lineErrors = errors;
                return count;
            }
            n = 0;
        }
        const std::uint32_t now = s.clock.tickMs();

        if (n > 0) {
            if (s.tap) s.tap->bytesReceived(chunk.data(), static_cast<std::size_t>(n), s.clock.counter());
            readAnything = true;
            for (long i = 0; i < n; ++i) {
                const std::uint8_t c = chunk[static_cast<std::size_t>(i)];
                if (b.rawAnswerCount < static_cast<int>(kFrameCapacity)) b.rawAnswer[b.rawAnswerCount++] = c;
                if (count == 0) {
                    if (c == startByte) {
                        b.response[0] = c;
                        count = 1;
                        t = now;
                    }
                    continue;
                }
                if (count >= kFrameCapacity) continue;  // the cap: further bytes are dropped
                b.response[count++] = c;
                t = now;
                const bool accepted = tunnel ? TunnelAddressAccepted(s, b.response.data(), count)
                                             : AnswerAddressAccepted(s.filter, b.response.data(), count);
                if (!accepted) count = 0;
            }
            s.ui.processEvents();
            if (std::size_t length = CompleteLength(s, startByte, b.response.data(), count); length != 0) return length;
        }

        // Waits compare elapsed time, which stays right when the tick wraps.
        const std::uint32_t elapsed = now - t;
        const std::uint32_t limit = static_cast<std::uint32_t>(count == 0 ? firstWait : nextWait);
        if (elapsed > limit) {
            if (count > 0) return count;
            break;
        }
        if (n == 0) {
            const int untilLimit = static_cast<int>(limit - elapsed) + 1;
            if (port)
                port->waitForInput(std::min(kWaitSliceMs, untilLimit));
            else
                s.clock.sleepMs(std::min(kWaitSliceMs, untilLimit));
        }
    }

    if (!readAnything) {
        if (++s.port.silentExchangeCount >= 3) {
            RecoverPort(s);
            s.port.silentExchangeCount = 0;
        }
    }
    return 0;
}

void InterExchangePause(LinkState& s) {
    const auto& st = s.settings;
    if (st.linkType == kLinkDirect && st.hartSpeedIndex >= 2 && st.hartSpeedIndex <= 4)
        PauseProcessingEvents(s, 60, false);
}

void RecoverPort(LinkState& s) {
    if (!s.port.handle) return;
    if (s.tap) s.tap->recoveryStarted();
    const int savedLinkType = s.settings.linkType;
    const int savedSpeed = s.settings.portSpeedIndex;
    s.settings.linkType = kLinkTunnel;
    static constexpr std::uint8_t kWakeUp[] = {0x73, 0x6B};
    for (int speed = 0; speed <= 4; ++speed) {
        s.settings.portSpeedIndex = speed;
        OpenPort(s);
        SendFrame(s, kWakeUp, sizeof kWakeUp);
    }
    s.settings.linkType = savedLinkType;
    s.settings.portSpeedIndex = savedSpeed;
    OpenPort(s);
}

}  // namespace quillon
