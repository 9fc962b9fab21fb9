#include "sim/live_readings.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "sim/command_sets.h"
#include "sim/sim_device.h"

namespace quillon::sim {

namespace {

bool TemperatureReadings(std::uint8_t software) {
    return software == 10 || software == 13 || software == 14 || software == 15 || software == 16;
}

// Two channels read through settings 19 and 20 (the main channel and the second one).
bool SecondChannelOnSetting20(const DeviceProfile& p) { return p.softwareRevision == 9 && p.deviceRevision == 11; }

double Noisy(SimDevice& d, double value) { return value + d.profile().live.noise * d.gaussian(); }

std::uint32_t FloatBits(double value) { return std::bit_cast<std::uint32_t>(static_cast<float>(value)); }

// The main reading of a measuring channel as the firmware reports it.
std::uint32_t MainReading(SimDevice& d, int channel) {
    const DeviceProfile& p = d.profile();
    const double value = Noisy(d, p.live.reference);
    const std::uint8_t s = p.softwareRevision;
    if (!TemperatureReadings(s)) return ConverterCode(d, value);
    // Revision 14 and the converter channel of revision 16 report their code, carried as a float.
    if (s == 14 || (s == 16 && channel == 0)) return FloatBits(static_cast<double>(ConverterCode(d, value)));
    return FloatBits(value);
}

std::uint32_t Ambient(SimDevice& d) {
    const DeviceProfile& p = d.profile();
    const double value = Noisy(d, p.live.ambient);
    const std::uint8_t s = p.softwareRevision;
    if (s == 11 || s == 14 || s == 15 || s == 16) return FloatBits(value);
    return ConverterCode(d, value);
}

std::uint32_t Internal(SimDevice& d) {
    const DeviceProfile& p = d.profile();
    const double value = Noisy(d, p.live.internal);
    if (p.deviceRevision == 11) return FloatBits(value);
    return ConverterCode(d, value);
}

HartReply ReadLiveCode(SimDevice& d, const HartRequest&) {
    // One status byte of the converter, then the code least significant byte first.
    const std::uint32_t code = MainReading(d, 0);
    return {0,
            {0, static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(code >> 8),
             static_cast<std::uint8_t>(code >> 16), static_cast<std::uint8_t>(code >> 24)}};
}

}  // namespace

std::uint32_t ConverterCode(SimDevice& device, double value) {
    const LiveInputs& in = device.profile().live;
    const double code = std::round(in.codeAtZero + value * in.codesPerUnit);
    return static_cast<std::uint32_t>(std::clamp(code, 0.0, 16777215.0));
}

void InstallLiveReadings(LiveSettingTable& table) {
    table[19] = [](SimDevice& d) -> std::optional<std::uint32_t> { return MainReading(d, 0); };
    table[20] = [](SimDevice& d) -> std::optional<std::uint32_t> {
        if (SecondChannelOnSetting20(d.profile())) return MainReading(d, 1);
        return Ambient(d);
    };
    table[30] = [](SimDevice& d) -> std::optional<std::uint32_t> {
        if (d.profile().softwareRevision != 16) return std::nullopt;
        return MainReading(d, 1);
    };
    table[10] = [](SimDevice& d) -> std::optional<std::uint32_t> {
        if (d.profile().softwareRevision != 6) return std::nullopt;
        return Internal(d);
    };
}

void InstallLiveReadingCommands(CommandTable& table) { table[113] = ReadLiveCode; }

}  // namespace quillon::sim
