#include <bit>

#include "sim/byte_order.h"
#include "sim/command_sets.h"

namespace quillon::sim {

namespace {

constexpr std::uint16_t kConstantBlock = 127;
constexpr std::uint16_t kFactorBlock = 133;

bool InSet(std::uint8_t value, std::initializer_list<int> set) {
    for (int v : set)
        if (v == value) return true;
    return false;
}

bool IsVelkor(const DeviceProfile& p) {
    return p.softwareRevision == 3 && p.hardwareRevision == 1 && p.deviceRevision == 4;
}

// Generations 1 and 2 of the density meter (and the Velkor, which imitates
// the second) keep the constant and operating mode in a block string.
bool KeepsConstantBlock(const DeviceProfile& p) {
    if (IsVelkor(p)) return true;
    return p.longAddress[0] == 35 && p.longAddress[1] == 4 && InSet(p.longAddress[3], {5, 6, 7});
}

std::uint8_t Check(const std::uint8_t* bytes, std::size_t n) {
    std::uint8_t x = 0x4D;
    for (std::size_t i = 0; i < n; ++i) x ^= bytes[i];
    return x;
}

void PutBlockString(DeviceProfile& p, std::uint16_t index, const std::array<std::uint8_t, 5>& payload) {
    for (std::size_t i = 0; i < payload.size(); ++i)
        p.parameterBlock[static_cast<std::uint16_t>(index + i)] = payload[i];
    p.parameterBlock[static_cast<std::uint16_t>(index + 5)] = Check(payload.data(), payload.size());
}

void PutFloatSetting(DeviceProfile& p, std::uint8_t number, float value) {
    p.settings[number] = std::bit_cast<std::uint32_t>(value);
}

// Command 114: the constants message. Devices with a constant block take the
// constant and mode into it.
HartReply WriteDensityConstants(SimDevice& d, const HartRequest& q) {
    if (q.data.size() < 10) return Code(kCodeTooFewBytes);
    auto& p = d.profile();
    std::array<std::uint8_t, 10> message{};
    std::copy(q.data.begin(), q.data.begin() + 10, message.begin());
    p.densityConstants = message;
    if (KeepsConstantBlock(p))
        PutBlockString(p, kConstantBlock, {q.data[1], q.data[2], q.data[3], q.data[4], q.data[0]});
    return {0, std::vector<std::uint8_t>(q.data.begin(), q.data.begin() + 10)};
}

// Command 118: measurements between self-calibrations.
HartReply ReadMeasurementCount(SimDevice& d, const HartRequest&) {
    if (!d.profile().measurementCount) return Code(kCodeNotEntered);
    return {0, {*d.profile().measurementCount}};
}

// Command 117: count, then a byte 1 that asks the device to keep it.
HartReply WriteMeasurementCount(SimDevice& d, const HartRequest& q) {
    if (q.data.size() < 2) return Code(kCodeTooFewBytes);
    if (q.data[0] == 0) return Code(kCodeTooSmall);
    d.profile().measurementCount = q.data[0];
    return {0, {q.data[0]}};
}

}  // namespace

void AddMeasurementSettings(DeviceProfile& p) {
    const std::uint8_t sw = p.softwareRevision;
    if (InSet(sw, {6, 8, 9, 11, 14, 16})) {
        const bool rev14 = sw == 14;
        p.settings[12] = rev14 ? 900 : 3600;
        p.settings[14] = rev14 ? 9 : 5;
        if (InSet(sw, {8, 9, 11, 14, 16}))
            p.settings[11] = rev14 ? 60 : 600;
        else
            p.settings[13] = 5400;
    }
    if (sw == 15) {
        p.settings[14] = 25;
        p.settings[12] = 900;
        p.settings[11] = 5;
        p.settings[4] = 120;
    }
    if (sw == 7) {
        p.settings[2] = 1;  // current output
        PutFloatSetting(p, 8, 0.00075f);
    }
    if (InSet(sw, {6, 8, 9, 11, 13, 14, 15, 16})) {
        PutFloatSetting(p, 15, 0.0f);
        PutFloatSetting(p, 16, 1.0f);
    }
    if (sw == 16) {  // the I2C sensor's own correction
        PutFloatSetting(p, 34, 0.25f);
        PutFloatSetting(p, 35, 1.0f);
    }
    if (InSet(sw, {1, 4})) p.measurementCount = 32;
    // Density meters: a stored constant (mode 0) and a correction factor 1.0 in
    // use; for the factor the meter's own float layout (mantissa low byte first,
    // leading one written out, then the exponent).
    if (sw == 1 || IsVelkor(p)) {
        const std::uint32_t bits = std::bit_cast<std::uint32_t>(998.2f);
        PutBlockString(p, kConstantBlock,
                       {static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
                        static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits), 0});
    }
    if (sw == 1) PutBlockString(p, kFactorBlock, {0x00, 0x00, 0x80, 0x7F, 1});
}

// Commands 114, 117 and 118: measurement parameters and density-meter constants.
void InstallMeasurementCommands(CommandTable& table) {
    table[114] = WriteDensityConstants;
    table[117] = WriteMeasurementCount;
    table[118] = ReadMeasurementCount;
}

}  // namespace quillon::sim
