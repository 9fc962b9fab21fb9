#include <algorithm>

#include "sim/byte_order.h"
#include "sim/command_sets.h"

namespace quillon::sim {

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
    t[20] = Tag;
    t[59] = Preambles;
    t[110] = PeriodAndValue;
    // The older firmware's own short-address change, sent in a short frame.
    t[119] = NewShortAddress;
}

}  // namespace quillon::sim
