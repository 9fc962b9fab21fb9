#include "monitor/monitor_pcap.h"

#include <algorithm>
#include <array>
#include <vector>

#include "link/file_access.h"
#include "link/hart_ip_codec.h"
#include "monitor/frame_decoder.h"
#include "monitor/hart_ip_view.h"

namespace quillon {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::array<std::uint8_t, 4> kToolAddress{127, 0, 0, 1};
constexpr std::array<std::uint8_t, 4> kDeviceAddress{127, 0, 0, 2};
constexpr std::uint16_t kToolPort = 49152;
constexpr std::uint32_t kLinkTypeRaw = 101;  // each record an IP packet, no link header

void Le32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(v >> (8 * i));
}
void Le16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v);
    out += static_cast<char>(v >> 8);
}
void Put16(Bytes& out, std::size_t at, std::uint16_t v) {
    out[at] = static_cast<std::uint8_t>(v >> 8);
    out[at + 1] = static_cast<std::uint8_t>(v);
}

std::uint16_t OnesComplementSum(const std::uint8_t* bytes, std::size_t count, std::uint32_t sum = 0) {
    for (std::size_t i = 0; i < count; i += 2)
        sum += static_cast<std::uint32_t>(bytes[i] << 8 | (i + 1 < count ? bytes[i + 1] : 0));
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(sum);
}

// An IPv4 packet carrying `payload` as a UDP datagram, checksums filled in.
Bytes UdpPacket(bool toDevice, const Bytes& payload, std::uint16_t id) {
    const auto& src = toDevice ? kToolAddress : kDeviceAddress;
    const auto& dst = toDevice ? kDeviceAddress : kToolAddress;
    constexpr std::size_t kIp = 20, kUdp = 8;
    Bytes p(kIp + kUdp + payload.size(), 0);
    const auto udpLength = static_cast<std::uint16_t>(kUdp + payload.size());
    p[0] = 0x45;
    Put16(p, 2, static_cast<std::uint16_t>(p.size()));
    Put16(p, 4, id);
    Put16(p, 6, 0x4000);  // don't fragment
    p[8] = 64;
    p[9] = 17;
    std::copy(src.begin(), src.end(), p.begin() + 12);
    std::copy(dst.begin(), dst.end(), p.begin() + 16);
    Put16(p, 10, static_cast<std::uint16_t>(~OnesComplementSum(p.data(), kIp)));

    Put16(p, kIp, toDevice ? kToolPort : hartip::kDefaultPort);
    Put16(p, kIp + 2, toDevice ? hartip::kDefaultPort : kToolPort);
    Put16(p, kIp + 4, udpLength);
    std::copy(payload.begin(), payload.end(), p.begin() + kIp + kUdp);
    // The pseudo header: both addresses, the protocol and the UDP length.
    std::array<std::uint8_t, 12> pseudo{};
    std::copy(p.begin() + 12, p.begin() + 20, pseudo.begin());
    pseudo[9] = 17;
    pseudo[10] = static_cast<std::uint8_t>(udpLength >> 8);
    pseudo[11] = static_cast<std::uint8_t>(udpLength);
    std::uint16_t check = static_cast<std::uint16_t>(
        ~OnesComplementSum(p.data() + kIp, udpLength, OnesComplementSum(pseudo.data(), pseudo.size())));
    if (check == 0) check = 0xFFFF;
    Put16(p, kIp + 6, check);
    return p;
}

// Where the HART frame of a serial entry lies, from its delimiter to its check
// byte (or as far as it came); false when there is none.
bool SerialHartFrame(const MonitorEntry& e, std::size_t& start, std::size_t& length) {
    const FrameDirection direction = e.kind == EntryKind::Sent ? FrameDirection::ToDevice : FrameDirection::FromDevice;
    HartFrameInfo f;
    if (e.tunnel) {
        const auto t = DecodeTunnelFrame(e.bytes.data(), e.bytes.size(), direction, e.tunnelHeader);
        if (!t.hasHart) return false;
        f = t.hart;
    } else {
        f = DecodeHartFrame(e.bytes.data(), e.bytes.size(), direction);
    }
    if (!f.found || f.start >= e.bytes.size()) return false;
    std::size_t end = e.bytes.size();
    if (f.complete) end = std::min(end, f.start + (f.longFrame ? 8u : 4u) + f.byteCount + 1u);
    start = f.start;
    length = end - f.start;
    return true;
}

struct Record {
    std::int64_t atUs;
    Bytes packet;
};

}  // namespace

std::string MonitorPcap(const MonitorRing& entries) {
    std::vector<Record> records;
    std::uint16_t sequence = 0;
    std::uint16_t packetId = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const MonitorEntry& e = entries.at(i);
        if (e.kind == EntryKind::Event || e.recovery) continue;
        const bool toDevice = e.kind == EntryKind::Sent;
        if (e.hartIp) {
            std::size_t rest = 0;
            for (const HartIpPiece& p : SplitHartIpMessages(e.bytes.data(), e.bytes.size(), rest)) {
                Bytes message(p.size);
                std::copy_n(e.bytes.data() + p.offset, p.size, message.data());
                records.push_back({e.atUs, UdpPacket(toDevice, message, ++packetId)});
            }
            continue;
        }
        std::size_t start = 0, length = 0;
        if (!SerialHartFrame(e, start, length)) continue;
        if (toDevice) ++sequence;
        const Bytes message =
            hartip::EncodeMessage(toDevice ? hartip::kTypeRequest : hartip::kTypeResponse, hartip::kIdTokenPassingPdu,
                                  hartip::kStatusSuccess, sequence, e.bytes.data() + start, length);
        records.push_back({e.atUs, UdpPacket(toDevice, message, ++packetId)});
    }

    std::string out;
    Le32(out, 0xA1B2C3D4);  // microsecond timestamps
    Le16(out, 2);
    Le16(out, 4);
    Le32(out, 0);
    Le32(out, 0);
    Le32(out, 65535);
    Le32(out, kLinkTypeRaw);
    for (const Record& r : records) {
        const std::int64_t us = r.atUs < 0 ? 0 : r.atUs;
        Le32(out, static_cast<std::uint32_t>(us / 1'000'000));
        Le32(out, static_cast<std::uint32_t>(us % 1'000'000));
        Le32(out, static_cast<std::uint32_t>(r.packet.size()));
        Le32(out, static_cast<std::uint32_t>(r.packet.size()));
        out.append(reinterpret_cast<const char*>(r.packet.data()), r.packet.size());
    }
    return out;
}

bool SaveMonitorPcap(const MonitorRing& entries, const std::string& path, std::string& error) {
    return ReplaceSmallFile(path, MonitorPcap(entries), 0644, error);
}

}  // namespace quillon
