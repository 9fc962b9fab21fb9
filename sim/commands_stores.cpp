#include "sim/byte_order.h"
#include "sim/command_sets.h"

namespace quillon::sim {

namespace {

std::uint8_t XorCheck(const std::uint8_t* bytes, std::size_t n) {
    std::uint8_t x = 0x4D;
    for (std::size_t i = 0; i < n; ++i) x ^= bytes[i];
    return x;
}

std::uint16_t BlockIndex(const HartRequest& q) {
    return static_cast<std::uint16_t>(q.data[0] | (q.data[1] << 8));  // least significant byte first
}

HartReply ReadSetting(SimDevice& d, const HartRequest& q) {
    if (q.data.empty()) return Code(kCodeTooFewBytes);
    const std::uint8_t number = q.data[0];
    if (number >= d.profile().settingLimit) return Code(kCodeInvalidSelection);
    if (auto live = d.liveSettings().find(number); live != d.liveSettings().end()) {
        if (const std::optional<std::uint32_t> value = live->second(d)) {
            HartReply r{0, {number}};
            PutU32(r.data, *value);
            return r;
        }
    }
    const auto& settings = d.profile().settings;
    auto it = settings.find(number);
    if (it == settings.end()) return {kCodeNotEntered, {number}};
    HartReply r{0, {number}};
    PutU32(r.data, it->second);
    return r;
}

HartReply WriteSetting(SimDevice& d, const HartRequest& q) {
    if (q.data.size() < 5) return Code(kCodeTooFewBytes);
    const std::uint8_t number = q.data[0];
    if (number >= d.profile().settingLimit) return Code(kCodeInvalidSelection);
    const std::uint32_t value = GetU32(q.data.data() + 1);
    d.profile().settings[number] = value;
    if (number == kSettingPreambles) d.setResponsePreambles(static_cast<std::uint8_t>(value));
    HartReply r{0, {number}};
    PutU32(r.data, value);
    return r;
}

HartReply WriteBlock(SimDevice& d, const HartRequest& q) {
    // Index, at least one payload byte, check byte.
    if (q.data.size() < 4) return Code(kCodeTooFewBytes);
    const std::uint16_t index = BlockIndex(q);
    const std::uint8_t* payload = q.data.data() + 2;
    const std::size_t n = q.data.size() - 3;
    if (XorCheck(payload, n) != q.data.back()) return Code(kCodeInvalidSelection);
    for (std::size_t i = 0; i <= n; ++i) d.setBlockByte(static_cast<std::uint16_t>(index + i), payload[i]);
    // A new device id takes effect only when command 192 confirms it.
    if (index == d.profile().longAddressIndex && n == 3) d.pendingDeviceId = {{payload[0], payload[1], payload[2]}};
    if (d.profile().shortAddressIndex && index == *d.profile().shortAddressIndex && n == 1)
        d.setShortAddress(payload[0]);
    return {0, {q.data[0], q.data[1]}};
}

HartReply ReadBlock(SimDevice& d, const HartRequest& q) {
    if (q.data.size() < 3) return Code(kCodeTooFewBytes);
    const std::uint16_t index = BlockIndex(q);
    const std::size_t n = q.data[2];
    if (n == 0 || n > 64) return Code(kCodeInvalidSelection);
    HartReply r;
    for (std::size_t i = 0; i < n; ++i) r.data.push_back(d.blockByte(static_cast<std::uint16_t>(index + i)));
    return r;
}

HartReply ConfirmBlock(SimDevice& d, const HartRequest& q) {
    if (q.data.empty()) return Code(kCodeTooFewBytes);
    if (q.data[0] == 1) {
        if (!d.pendingDeviceId) return {0, {0}};
        auto address = d.profile().longAddress;
        std::copy(d.pendingDeviceId->begin(), d.pendingDeviceId->end(), address.begin() + 2);
        d.setLongAddress(address);
        d.pendingDeviceId.reset();
        return {0, {1}};
    }
    if (q.data[0] == 2) {
        // Density-meter constants: accepted when the factor string (index 133) checks.
        std::uint8_t factor[6];
        for (std::uint16_t i = 0; i < 6; ++i) factor[i] = d.blockByte(static_cast<std::uint16_t>(133 + i));
        return {0, {XorCheck(factor, 5) == factor[5] ? std::uint8_t{1} : std::uint8_t{0}}};
    }
    return Code(kCodeInvalidSelection);
}

}  // namespace

void InstallStoreCommands(CommandTable& t) {
    t[176] = ReadSetting;
    t[177] = WriteSetting;
    t[190] = WriteBlock;
    t[191] = ReadBlock;
    t[192] = ConfirmBlock;
}

}  // namespace quillon::sim
