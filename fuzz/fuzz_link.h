#pragma once

// One tool state on a fake port and a virtual clock, with the request a fuzz
// input asks for. The first bytes of an input choose the link and the request:
//
//   [options] [short address] [flow-computer address] [pause position] answer bytes...
//
//   options bit 0  tunnel link        bit 1  long request      bit 2  master bit
//           bit 3  format 33          bits 4-5  command: 1, 0, 119 or 19, 192 with data 1
//           bit 6  bytes arrive 1 ms apart instead of together

#include <cstddef>
#include <cstdint>

#include "app/app_state.h"
#include "link/fake_serial.h"
#include "link/frame_codec.h"
#include "link/serial_link.h"
#include "support/scripted_ui.h"

namespace quillon::fuzz {

inline constexpr std::size_t kHeaderBytes = 4;
inline constexpr std::array<std::uint8_t, 5> kLongAddress{0x26, 0x0F, 0x09, 0x29, 0x64};
// Far past the longest request's wire time, so the answer is never purged as echo.
inline constexpr std::int64_t kAnswerStartUs = 1'000'000;

struct FuzzLink {
    testing::ScriptedUi ui;
    sim::VirtualClock clock;
    testing::FakePortSystem ports{clock};
    AppState s{ui, ports, clock};
    testing::FakeLine& line;

    explicit FuzzLink(const std::uint8_t* header) : line(ports.lines["ttyFUZZ"]) {
        const std::uint8_t options = header[0];
        auto& st = s.settings;
        st.linkType = (options & 0x01) ? kLinkTunnel : kLinkDirect;
        st.masterAddress = (options & 0x04) ? 1 : 0;
        st.tunnelRequestFormat = (options & 0x08) ? 1 : 0;
        st.shortAddress = header[1] & 0x1F;
        st.tunnelAddress = header[2];
        st.hartSpeedIndex = 0;
        st.portSpeedIndex = 9;  // 9600 baud
        st.firstByteWait = 1500;
        st.nextByteWait = 50;
        s.identity.longAddress = kLongAddress;
        s.port.performanceFrequency = clock.counterFrequency();
        ScanPorts(s);
        st.portIndex = 1;
        OpenPort(s);

        const bool longRequest = (options & 0x02) != 0;
        static constexpr std::uint8_t kShortCommands[] = {1, 0, 119, 192};
        static constexpr std::uint8_t kLongCommands[] = {1, 0, 19, 192};
        const int choice = (options >> 4) & 0x03;
        if (longRequest) {
            if (kLongCommands[choice] == 192)
                BuildLongRequest(s.buffer, 192, {1});
            else
                BuildLongRequest(s.buffer, kLongCommands[choice]);
        } else {
            if (kShortCommands[choice] == 192)
                BuildShortRequest(s.buffer, 192, {1});
            else
                BuildShortRequest(s.buffer, kShortCommands[choice]);
        }
    }

    // The answer as it arrives after the request; a pause longer than the
    // next-byte wait follows byte `pauseAt` (when inside the answer).
    void scheduleAnswer(const std::uint8_t* header, const std::uint8_t* bytes, std::size_t count) {
        const std::int64_t spacing = (header[0] & 0x40) ? 1000 : 0;
        std::int64_t at = kAnswerStartUs;
        for (std::size_t i = 0; i < count; ++i) {
            line.incoming.push_back({at, bytes[i]});
            at += spacing;
            if (i == header[3]) at += 100'000;
        }
    }
};

}  // namespace quillon::fuzz
