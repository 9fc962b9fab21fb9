#include "frontend/dac_record.h"

#include <bit>

#include "device/parameter_access.h"

namespace quillon {

namespace {

constexpr std::uint8_t kExponentBase = 36;
constexpr std::uint8_t kMillivoltDeviceType = 6;

constexpr std::uint32_t kDefaultSlopeBits = 0x4423D70A;       // 655.36
constexpr std::uint32_t kMillivoltSlopeBits = 0x41DA740E;     // 27.306667: 800-3200 mV
constexpr std::uint32_t kOldMillivoltSlopeBits = 0x4191A2B4;  // 18.204445: 0-3600 mV

}  // namespace

DacMemoryRecord EncodeDacRecord(float slope, int offset) {
    DacMemoryRecord r{};
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(slope) & 0x7FFFFFFFu;
    if (bits == 0) {
        r[3] = kExponentBase;
    } else {
        const auto exponent = static_cast<std::uint8_t>(bits >> 23);
        r[0] = static_cast<std::uint8_t>(bits);
        r[1] = static_cast<std::uint8_t>(bits >> 8);
        r[2] = static_cast<std::uint8_t>(((bits >> 16) & 0x7F) | 0x80);
        r[3] = static_cast<std::uint8_t>(kExponentBase - exponent);
    }
    const auto stored = static_cast<std::uint16_t>(offset + 16384);
    r[4] = static_cast<std::uint8_t>(stored);
    r[5] = static_cast<std::uint8_t>(stored >> 8);
    AppendXorCheck(r.data(), r.size());
    return r;
}

DacRecordValues DecodeDacRecord(const DacMemoryRecord& r) {
    const auto exponent = static_cast<std::uint8_t>(kExponentBase - r[3]);
    const std::uint32_t bits =
        (std::uint32_t{exponent} << 23) | (std::uint32_t{r[2] & 0x7Fu} << 16) | (std::uint32_t{r[1]} << 8) | r[0];
    return {std::bit_cast<float>(bits), (r[4] | (r[5] << 8)) - 16384};
}

DacRecordValues DefaultDacRecord(const DeviceIdentity& id) {
    std::uint32_t bits = kDefaultSlopeBits;
    if (id.longAddress[1] == kMillivoltDeviceType)
        bits = id.deviceRevision != 0 ? kMillivoltSlopeBits : kOldMillivoltSlopeBits;
    return {std::bit_cast<float>(bits), 0};
}

}  // namespace quillon
