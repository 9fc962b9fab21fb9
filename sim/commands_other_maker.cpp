#include <algorithm>

#include "sim/byte_order.h"
#include "sim/command_sets.h"

namespace quillon::sim {

namespace {

// Command 0 of universal revision 7: the expanded device type in bytes 1-2
// (its first byte is where older revisions have the manufacturer id), and the
// manufacturer id again, in full, in bytes 17-18.
HartReply Identity7(SimDevice& d, const HartRequest&) {
    const auto& p = d.profile();
    return {0,
            {254, p.longAddress[0], p.longAddress[1], p.responsePreambles, p.universalRevision, p.deviceRevision,
             p.softwareRevision, p.hardwareRevision, p.flags, p.longAddress[2], p.longAddress[3], p.longAddress[4],
             5,                   // preambles the device wants from a master
             static_cast<std::uint8_t>(p.variables.size()),  // device variables
             0x00, 0x01,          // configuration change counter
             0x00,                // extended field device status
             0x00, p.longAddress[0],  // manufacturer id
             0x00, p.longAddress[0],  // private label distributor: the maker itself
             0x01}};              // device profile: process automation device
}

float PercentOfRange(float milliamps) { return (milliamps - 4.0f) / 16.0f * 100.0f; }

HartReply CurrentAndPercent(SimDevice& d, const HartRequest&) {
    const float current = d.sample(d.profile().loopCurrent, d.nowUs());
    HartReply r;
    PutFloat(r.data, current);
    PutFloat(r.data, PercentOfRange(current));
    return r;
}

// Command 11 goes to every device; only the one with that tag answers.
HartReply IdentityByTag(SimDevice& d, const HartRequest& q, const SimDevice::Handler& identity) {
    if (q.data.size() < 6 || !std::equal(q.data.begin(), q.data.begin() + 6, PackedAscii(d.profile().tag, 8).begin())) {
        d.nextAnswerSilent = true;
        return {};
    }
    return identity(d, q);
}

HartReply Message(SimDevice& d, const HartRequest&) { return {0, PackedAscii(d.profile().message, 32)}; }

HartReply FinalAssemblyNumber(SimDevice& d, const HartRequest&) {
    const auto& n = d.profile().finalAssemblyNumber;
    return {0, {n.begin(), n.end()}};
}

HartReply WriteFinalAssemblyNumber(SimDevice& d, const HartRequest& q) {
    if (q.data.size() < 3) return Code(kCodeTooFewBytes);
    std::copy_n(q.data.begin(), 3, d.profile().finalAssemblyNumber.begin());
    return {0, {q.data[0], q.data[1], q.data[2]}};
}

// Nothing to report: six device-specific bytes, extended status, operating
// mode and the standardized status bytes all clear.
HartReply AdditionalStatus(SimDevice&, const HartRequest&) { return {0, std::vector<std::uint8_t>(9, 0)}; }

}  // namespace

void InstallOtherMakerCommands(CommandTable& t) {
    InstallUniversalCommands(t);
    // What the universal set above holds of this maker's own, and the maker's
    // meaning of command 19, are no part of another maker's device.
    t.erase(110);
    t.erase(119);
    SimDevice::Handler identity = [older = t[0]](SimDevice& d, const HartRequest& q) {
        return d.profile().universalRevision >= 7 ? Identity7(d, q) : older(d, q);
    };
    t[0] = identity;
    t[2] = CurrentAndPercent;
    t[11] = [identity](SimDevice& d, const HartRequest& q) { return IdentityByTag(d, q, identity); };
    t[12] = Message;
    t[16] = FinalAssemblyNumber;
    t[19] = WriteFinalAssemblyNumber;
    t[48] = AdditionalStatus;
}

}  // namespace quillon::sim
