#include "sim/byte_order.h"
#include "sim/command_sets.h"

namespace quillon::sim {

namespace {

constexpr std::uint8_t kFixedCurrentStatus = 0x08;
constexpr std::uint16_t kDacRecordIndex = 120;

// Command 40: holds the loop current (or the output voltage) at the value
// sent, and reports it in the status byte; 0.0 releases it.
HartReply FixCurrent(SimDevice& d, const HartRequest& q) {
    if (q.data.size() < 4) return Code(kCodeTooFewBytes);
    DeviceProfile& p = d.profile();
    const float value = GetFloat(q.data.data());
    if (value == 0.0f) {
        if (p.loopCurrentBeforeFix) p.loopCurrent = *p.loopCurrentBeforeFix;
        p.loopCurrentBeforeFix.reset();
        p.deviceStatus = static_cast<std::uint8_t>(p.deviceStatus & ~kFixedCurrentStatus);
    } else {
        if (!p.loopCurrentBeforeFix) p.loopCurrentBeforeFix = p.loopCurrent;
        p.loopCurrent = ProcessVariable{p.loopCurrent.unit, value, 0.0f, 0.0f, 0.0};
        p.deviceStatus |= kFixedCurrentStatus;
    }
    HartReply r;
    PutFloat(r.data, value);
    return r;
}

// Command 192 with 0: the device takes the DAC record at index 120 into use
// when its check byte is right.
bool DacRecordValid(const SimDevice& d) {
    std::uint8_t check = 0x4D;
    for (std::uint16_t i = 0; i < 6; ++i) check ^= d.blockByte(static_cast<std::uint16_t>(kDacRecordIndex + i));
    return check == d.blockByte(kDacRecordIndex + 6);
}

}  // namespace

void InstallOutputCommands(CommandTable& t) {
    t[40] = FixCurrent;
    SimDevice::Handler confirm = t[192];
    t[192] = [confirm](SimDevice& d, const HartRequest& q) -> HartReply {
        if (!q.data.empty() && q.data[0] == 0) return {0, {static_cast<std::uint8_t>(DacRecordValid(d) ? 1 : 0)}};
        return confirm ? confirm(d, q) : Code(kCodeNotImplemented);
    };
}

}  // namespace quillon::sim
