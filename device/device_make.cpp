#include "device/device_make.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>

namespace quillon {

namespace {

constexpr std::uint16_t kOwnManufacturerId = 0x26;
constexpr std::uint16_t kDensityMeterManufacturerId = 35;
constexpr std::uint16_t kDensityMeterDeviceType = 4;
constexpr std::size_t kExpandedManufacturerEnd = 19;

std::optional<std::uint16_t> Hex16(std::string_view text) {
    if (text.empty() || text.size() > 4) return std::nullopt;
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

bool EntryNames(std::string_view entry, std::uint16_t manufacturerId, std::uint16_t deviceType) {
    const std::size_t colon = entry.find(':');
    const auto maker = Hex16(entry.substr(0, colon));
    if (!maker || *maker != manufacturerId) return false;
    if (colon == std::string_view::npos) return true;
    const auto type = Hex16(entry.substr(colon + 1));
    return type && *type == deviceType;
}

std::string Code(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, value > 0xFF ? "%04Xh" : "%02Xh", static_cast<unsigned>(value));
    return text;
}

}  // namespace

DeviceMake MakeFromIdentityAnswer(const std::uint8_t* d, std::size_t count) {
    DeviceMake make;
    make.manufacturerId = d[1];
    make.deviceType = d[2];
    make.universalRevision = d[4];
    if (make.universalRevision >= 7) {
        make.deviceType = static_cast<std::uint16_t>((d[1] << 8) | d[2]);
        if (count >= kExpandedManufacturerEnd) make.manufacturerId = static_cast<std::uint16_t>((d[17] << 8) | d[18]);
    }
    return make;
}

bool BuiltInOwnMake(std::uint16_t manufacturerId, std::uint16_t deviceType) {
    if (manufacturerId == kOwnManufacturerId) return true;
    return manufacturerId == kDensityMeterManufacturerId && deviceType == kDensityMeterDeviceType;
}

bool ListedOwnMake(std::string_view list, std::uint16_t manufacturerId, std::uint16_t deviceType) {
    constexpr std::string_view kSeparators = ",; \t";
    std::size_t at = 0;
    while (at < list.size()) {
        const std::size_t end = std::min(list.find_first_of(kSeparators, at), list.size());
        if (end > at && EntryNames(list.substr(at, end - at), manufacturerId, deviceType)) return true;
        at = end + 1;
    }
    return false;
}

std::string MakeText(const DeviceMake& make) {
    return "код производителя " + Code(make.manufacturerId) + ", тип устройства " + Code(make.deviceType) + ", HART " +
           std::to_string(make.universalRevision);
}

}  // namespace quillon
