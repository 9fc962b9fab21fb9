#include <algorithm>

#include "sim/byte_order.h"
#include "sim/command_sets.h"

namespace quillon::sim {

namespace {

constexpr std::uint8_t kCodeWriteFailed = 6;
constexpr std::array<std::uint8_t, 2> kDefaultConverterSettings{0x01, 9};  // gain 2, 9 points

// The conversion the firmware reports while it does not use one.
std::array<std::uint8_t, 17> DefaultConversion() {
    std::vector<std::uint8_t> bytes{0};
    for (float f : {4.0f, 4.0f, 20.0f, 20.0f}) PutFloat(bytes, f);
    std::array<std::uint8_t, 17> out{};
    std::copy(bytes.begin(), bytes.end(), out.begin());
    return out;
}

HartReply ReadConverterSettings(SimDevice& d, const HartRequest& q) {
    ConverterStore& store = d.profile().converter;
    if (!store.present) return Code(kCodeNotImplemented);
    if (q.data.empty()) return Code(kCodeTooFewBytes);
    if (q.data[0] != 0) return Code(kCodeInvalidSelection);
    const auto settings = store.settings.value_or(kDefaultConverterSettings);
    return {static_cast<std::uint8_t>(store.settings ? 0 : kCodeNotEntered), {0x00, settings[0], settings[1]}};
}

HartReply WriteConverterSettings(SimDevice& d, const HartRequest& q) {
    ConverterStore& store = d.profile().converter;
    if (!store.present) return Code(kCodeNotImplemented);
    if (q.data.size() < 3) return Code(kCodeTooFewBytes);
    if (q.data[0] != 0) return Code(kCodeInvalidSelection);
    const std::uint8_t gain = q.data[1];
    const std::uint8_t points = q.data[2];
    if (gain > 3 || points < 1 || points > 9) return Code(kCodeWriteFailed);
    store.settings = std::array<std::uint8_t, 2>{gain, points};
    return {0, {0x00, gain, points}};
}

HartReply ReadConversion(SimDevice& d, const HartRequest&) {
    ConverterStore& store = d.profile().converter;
    if (!store.present) return Code(kCodeNotImplemented);
    // Unused, the answer still has its full length, with the defaults.
    const auto bytes = store.conversion.value_or(DefaultConversion());
    return {static_cast<std::uint8_t>(store.conversion ? 0 : kCodeNotEntered), {bytes.begin(), bytes.end()}};
}

HartReply WriteConversion(SimDevice& d, const HartRequest& q) {
    ConverterStore& store = d.profile().converter;
    if (!store.present) return Code(kCodeNotImplemented);
    if (q.data.size() < 17) return Code(kCodeTooFewBytes);
    if (q.data[0] > 1) return Code(kCodeInvalidSelection);
    std::array<std::uint8_t, 17> bytes{};
    std::copy_n(q.data.begin(), bytes.size(), bytes.begin());
    store.conversion = bytes;
    return {0, {bytes.begin(), bytes.end()}};
}

}  // namespace

// Commands 193-196: the converter settings of the current-output device.
void InstallFrontendCommands(CommandTable& table) {
    table[193] = ReadConverterSettings;
    table[194] = WriteConverterSettings;
    table[195] = ReadConversion;
    table[196] = WriteConversion;
}

}  // namespace quillon::sim
