#include <algorithm>

#include "sim/command_sets.h"

namespace quillon::sim {

namespace {

// The sensor EEPROM requests name the area as 0x00 0x54 and its length 18.
bool NamesEepromArea(const HartRequest& q) {
    return q.data.size() >= 3 && q.data[0] == 0x00 && q.data[1] == 0x54 && q.data[2] == 18;
}

constexpr std::uint8_t kCodeSensorFailure = 8;

HartReply SensorId(SimDevice& d, const HartRequest&) {
    const auto& id = d.profile().sensorId;
    if (!id) return Code(kCodeNotImplemented);
    return {0, {id->begin(), id->end()}};
}

HartReply ReadEeprom(SimDevice& d, const HartRequest& q) {
    const auto& block = d.profile().sensorEeprom;
    if (!block) return Code(kCodeNotImplemented);
    if (!NamesEepromArea(q)) return Code(kCodeInvalidSelection);
    return {0, {block->begin(), block->end()}};
}

HartReply WriteEeprom(SimDevice& d, const HartRequest& q) {
    auto& block = d.profile().sensorEeprom;
    if (!block) return Code(kCodeNotImplemented);
    if (!NamesEepromArea(q)) return Code(kCodeInvalidSelection);
    if (q.data.size() < 21) return Code(kCodeSensorFailure);
    std::copy(q.data.begin() + 3, q.data.begin() + 21, block->begin());
    return {0, {0x00, 0x54, 18}};
}

}  // namespace

void InstallSensorCommands(CommandTable& t) {
    t[220] = SensorId;
    t[221] = WriteEeprom;
    t[222] = ReadEeprom;
}

}  // namespace quillon::sim
