#include <gtest/gtest.h>

#include <cstring>

#include "link/exchange.h"
#include "link/frame_codec.h"
#include "monitor/frame_monitor.h"
#include "monitor/monitor_pcap.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::SimBench;

std::uint32_t Le32At(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(s[at + static_cast<std::size_t>(i)]);
    return v;
}

std::uint16_t Be16At(const std::string& s, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(s[at]) << 8 | static_cast<std::uint8_t>(s[at + 1]));
}

// RFC 1071: summing a header with its checksum in place gives 0xFFFF.
std::uint16_t Sum(const std::string& s, std::size_t from, std::size_t count, std::uint32_t sum = 0) {
    for (std::size_t i = 0; i < count; i += 2)
        sum += static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[from + i]) << 8 |
                                          (i + 1 < count ? static_cast<std::uint8_t>(s[from + i + 1]) : 0));
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(sum);
}

// A modem exchange saved as a capture: file header, then per frame an IPv4
// packet with a UDP datagram to or from port 5094 holding the frame as a
// HART-IP token-passing message, the answer under its request's number.
TEST(MonitorPcap, ModemFramesBecomeHartIpOverUdp) {
    SimBench b("rev6");
    FrameMonitor monitor(b.state);
    monitor.attach();
    BuildShortRequest(b.state.buffer, 0);
    ASSERT_EQ(Exchange(b.state), ExchangeOk);
    const std::string answer(reinterpret_cast<const char*>(b.state.buffer.response.data()),
                             b.state.buffer.responseCount);
    const std::string sentFrame(reinterpret_cast<const char*>(b.state.buffer.request.data()), 5);
    const std::string pcap = MonitorPcap(monitor.entries());

    ASSERT_GE(pcap.size(), 24u);
    EXPECT_EQ(Le32At(pcap, 0), 0xA1B2C3D4u);
    EXPECT_EQ(Le32At(pcap, 20), 101u) << "raw IP records";
    std::size_t at = 24;
    const std::string frames[] = {sentFrame, answer};
    for (int i = 0; i < 2; ++i) {
        ASSERT_GE(pcap.size(), at + 16) << i;
        const std::uint32_t length = Le32At(pcap, at + 8);
        EXPECT_EQ(Le32At(pcap, at + 12), length);
        at += 16;
        ASSERT_GE(pcap.size(), at + length);
        const std::size_t udp = at + 20;
        EXPECT_EQ(static_cast<std::uint8_t>(pcap[at]), 0x45);
        EXPECT_EQ(static_cast<std::uint8_t>(pcap[at + 9]), 17) << "UDP";
        EXPECT_EQ(Sum(pcap, at, 20), 0xFFFF) << "IP header checksum";
        EXPECT_EQ(Be16At(pcap, at + 2), length);
        const bool request = i == 0;
        EXPECT_EQ(pcap.substr(at + 12, 4), request ? std::string("\x7F\0\0\x01", 4) : std::string("\x7F\0\0\x02", 4));
        EXPECT_EQ(Be16At(pcap, request ? udp + 2 : udp), 5094);
        EXPECT_EQ(Be16At(pcap, udp + 4), length - 20);
        // The UDP checksum over the pseudo header, the header and the data.
        std::string pseudo = pcap.substr(at + 12, 8) + std::string("\0\x11", 2) + pcap.substr(udp + 4, 2);
        EXPECT_EQ(Sum(pcap, udp, length - 20, Sum(pseudo, 0, pseudo.size())), 0xFFFF) << "UDP checksum";
        const std::size_t message = udp + 8;
        const std::string header = std::string("\x01", 1) + (request ? '\0' : '\x01') + std::string("\x03\x00\x00\x01", 4);
        EXPECT_EQ(pcap.substr(message, 6), header) << i;
        EXPECT_EQ(Be16At(pcap, message + 6), 8 + frames[i].size());
        EXPECT_EQ(pcap.substr(message + 8, frames[i].size()), frames[i]) << "the frame without its preambles";
        at += length;
    }
    EXPECT_EQ(at, pcap.size());
}

}  // namespace
}  // namespace quillon
