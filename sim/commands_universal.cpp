#include <algorithm>
#include <cctype>
#include <string>

#include "sim/byte_order.h"
#include "sim/command_sets.h"

namespace quillon::sim {

std::vector<std::uint8_t> PackedAscii(std::string_view text, std::size_t characters) {
    std::vector<std::uint8_t> out(characters * 3 / 4, 0);
    for (std::size_t i = 0; i < characters; ++i) {
        auto c = static_cast<unsigned char>(i < text.size() ? std::toupper(static_cast<unsigned char>(text[i])) : ' ');
        if (c < 0x20 || c > 0x5F) c = '?';
        const unsigned value = c & 0x3Fu;
        for (unsigned bit = 0; bit < 6; ++bit) {
            if (!(value & (0x20u >> bit))) continue;
            const std::size_t at = i * 6 + bit;
            out[at / 8] = static_cast<std::uint8_t>(out[at / 8] | (0x80u >> (at % 8)));
        }
    }
    return out;
}

namespace {

HartReply Identity(SimDevice& d, const HartRequest&) {
    const auto& p = d.profile();
    return {0,
            {254, p.longAddress[0], p.longAddress[1], p.responsePreambles, p.universalRevision, p.deviceRevision,
             p.softwareRevision, p.hardwareRevision, p.flags, p.longAddress[2], p.longAddress[3], p.longAddress[4]}};
}

HartReply PrimaryVariable(SimDevice& d, const HartRequest&) {
    const auto& pv = d.profile().variables.front();
    HartReply r;
    r.data.push_back(pv.unit);
    PutFloat(r.data, d.sample(pv, d.nowUs()));
    return r;
}

HartReply AllVariables(SimDevice& d, const HartRequest&) {
    HartReply r;
    PutFloat(r.data, d.sample(d.profile().loopCurrent, d.nowUs()));
    const auto& vars = d.profile().variables;
    for (std::size_t i = 0; i < vars.size() && i < 4; ++i) {
        r.data.push_back(vars[i].unit);
        PutFloat(r.data, d.sample(vars[i], d.nowUs()));
    }
    return r;
}

HartReply PeriodAndValue(SimDevice& d, const HartRequest&) {
    if (!d.profile().period) return Code(kCodeNotImplemented);
    HartReply r;
    PutFloat(r.data, d.sample(*d.profile().period, d.nowUs()));
    PutFloat(r.data, d.sample(d.profile().variables.front(), d.nowUs()));
    return r;
}

HartReply NewShortAddress(SimDevice& d, const HartRequest& q) {
    if (q.data.empty()) return Code(kCodeTooFewBytes);
    const std::uint8_t limit = d.profile().pollingAddressBits >= 6 ? 63 : 15;
    if (q.data[0] > limit) return Code(kCodeInvalidSelection);
    d.setShortAddress(q.data[0]);
    return {0, {q.data[0]}};
}

HartReply NewDeviceId(SimDevice& d, const HartRequest& q) {
    if (q.data.size() < 3) return Code(kCodeTooFewBytes);
    auto address = d.profile().longAddress;
    std::copy(q.data.begin(), q.data.begin() + 3, address.begin() + 2);
    d.setLongAddress(address);
    return {0, {q.data[0], q.data[1], q.data[2]}};
}

HartReply Tag(SimDevice& d, const HartRequest&) {
    HartReply r;
    r.data.assign(32, 0);
    const auto& tag = d.profile().tag;
    std::copy_n(tag.begin(), std::min<std::size_t>(tag.size(), 32), r.data.begin());
    return r;
}

// Command 13: the short tag (the first 8 characters of the tag) and the
// descriptor in packed ASCII, then the date.
HartReply TagDescriptorDate(SimDevice& d, const HartRequest&) {
    const auto& p = d.profile();
    HartReply r{0, PackedAscii(p.tag, 8)};
    const auto descriptor = PackedAscii(p.descriptor, 16);
    r.data.insert(r.data.end(), descriptor.begin(), descriptor.end());
    r.data.insert(r.data.end(), p.date.begin(), p.date.end());
    return r;
}

// Command 22: the long tag, 32 bytes, echoed.
HartReply WriteTag(SimDevice& d, const HartRequest& q) {
    if (q.data.size() < 32) return Code(kCodeTooFewBytes);
    const auto end = std::find(q.data.begin(), q.data.begin() + 32, std::uint8_t{0});
    d.setTag(std::string(q.data.begin(), end));
    return {0, {q.data.begin(), q.data.begin() + 32}};
}

HartReply Preambles(SimDevice& d, const HartRequest& q) {
    if (q.data.empty()) return Code(kCodeTooFewBytes);
    if (q.data[0] < 3) return Code(kCodeTooSmall);
    if (q.data[0] > 50) return Code(kCodeTooLarge);
    d.setResponsePreambles(q.data[0]);
    return {0, {q.data[0]}};
}

}  // namespace

void InstallUniversalCommands(CommandTable& t) {
    t[0] = Identity;
    t[1] = PrimaryVariable;
    t[3] = AllVariables;
    t[6] = NewShortAddress;
    t[19] = NewDeviceId;
    t[13] = TagDescriptorDate;
    t[20] = Tag;
    t[22] = WriteTag;
    t[59] = Preambles;
    t[110] = PeriodAndValue;
    // The older firmware's own short-address change, sent in a short frame.
    t[119] = NewShortAddress;
}

}  // namespace quillon::sim
