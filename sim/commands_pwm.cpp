#include <algorithm>
#include <bit>
#include <cmath>

#include "sim/byte_order.h"
#include "sim/command_sets.h"

namespace quillon::sim {

namespace {

constexpr std::uint8_t kFixedDutySetting = 6;
constexpr std::uint8_t kFeedbackCodeSetting = 21;
constexpr std::uint32_t kNoFixedDuty = 0x7FA00000;
constexpr std::uint16_t kDacRecordIndex = 120;

std::uint32_t Bits(float v) { return std::bit_cast<std::uint32_t>(v); }

bool VoltageOutput(const DeviceProfile& p) { return p.softwareRevision == 6 && p.hardwareRevision == 1; }

// How the PWM stage and its feedback converter really behave: two points of
// duty and feedback code on a straight line (current output, voltage output).
struct PwmStage {
    float duty1, output1;
    std::uint32_t code1;
    float duty2, output2;
    std::uint32_t code2;
};

PwmStage Stage(const DeviceProfile& p) {
    if (VoltageOutput(p)) return {0.3f, 1.0f, 3000, 0.85f, 3.0f, 8500};
    return {0.1f, 4.0f, 1000, 0.8f, 20.0f, 9000};
}

// The feedback code under the fixed duty, or under the duty the measurement
// drives when none is fixed, with a little converter noise.
std::optional<std::uint32_t> FeedbackCode(SimDevice& d) {
    const DeviceProfile& p = d.profile();
    if (p.softwareRevision != 6) return std::nullopt;
    float duty = 0.45f;
    if (auto it = p.settings.find(kFixedDutySetting); it != p.settings.end()) {
        const float fixed = std::bit_cast<float>(it->second);
        if (std::isfinite(fixed)) duty = std::clamp(fixed, 0.0f, 1.0f);
    }
    const PwmStage st = Stage(p);
    const double slope = (static_cast<double>(st.code2) - st.code1) / (static_cast<double>(st.duty2) - st.duty1);
    const double code = st.code1 + (duty - st.duty1) * slope + 2.0 * d.gaussian();
    return static_cast<std::uint32_t>(std::clamp(std::round(code), 0.0, 65535.0));
}

void AddPwmSettings(DeviceProfile& p) {
    const PwmStage st = Stage(p);
    const float feedback = 0.5f;
    p.settings[0] = Bits(st.duty1);
    p.settings[1] = Bits(st.output1);
    p.settings[2] = st.code1;
    p.settings[3] = Bits(st.duty2);
    p.settings[4] = Bits(st.output2);
    p.settings[5] = st.code2;
    p.settings[25] = Bits(feedback);
    p.settings[kFixedDutySetting] = kNoFixedDuty;
    p.settings[7] = 0;
    p.settings[13] = 5400;
    p.settings[17] = Bits(-40.0f);
    p.settings[18] = Bits(60.0f);
    const double span = static_cast<double>(st.code2) - st.code1;
    const auto k27 = static_cast<float>(span / (static_cast<double>(st.output2) - st.output1));
    p.settings[26] = Bits(static_cast<float>(feedback * static_cast<float>((st.duty2 - st.duty1) / span)));
    p.settings[27] = Bits(k27);
    p.settings[28] = Bits(static_cast<float>(st.code1 - st.output1 * static_cast<double>(k27)));
}

void AddDacRecord(DeviceProfile& p) {
    // Slope 655.36 and offset 0, the factory setting of the -40..+60 range.
    const std::uint8_t record[6] = {0x0A, 0xD7, 0xA3, 0x9C, 0x00, 0x40};
    std::uint8_t check = 0x4D;
    for (std::size_t i = 0; i < 6; ++i) {
        p.parameterBlock[static_cast<std::uint16_t>(kDacRecordIndex + i)] = record[i];
        check ^= record[i];
    }
    p.parameterBlock[kDacRecordIndex + 6] = check;
}

}  // namespace

void AddOutputSettings(DeviceProfile& p) {
    const std::uint8_t sw = p.softwareRevision;
    const std::uint8_t adcFamily = p.hardwareRevision & 0x30;
    switch (sw) {
        case 3:
            if (p.hardwareRevision != 1 && p.hardwareRevision != 2) AddDacRecord(p);
            break;
        case 6: AddPwmSettings(p); break;
        case 7:
            p.settings[0] = Bits(0.0f);
            p.settings[1] = Bits(100.0f);
            p.settings[6] = Bits(4096.0f);
            p.settings[7] = 0;
            break;
        case 8:
        case 9:
        case 11:
        case 14:
        case 15:
        case 16: {
            p.settings[17] = Bits(-40.0f);
            p.settings[18] = Bits(60.0f);
            const bool adc = sw == 14 || sw == 16;
            if (adc && adcFamily == 0x30) {
                p.settings[5] = Bits(20000.0f);
                p.settings[13] = 100;
            } else if (adc && adcFamily == 0x20) {
                p.settings[5] = Bits(65535.0f);
                p.settings[13] = 0;
            } else {
                p.settings[5] = 65535;
                p.settings[13] = 0;
            }
            break;
        }
        default: break;
    }
}

// The PWM device's live feedback code (setting 21) in front of the stored settings.
void InstallPwmCommands(CommandTable& table) {
    SimDevice::Handler stored = table[176];
    table[176] = [stored](SimDevice& d, const HartRequest& q) -> HartReply {
        if (!q.data.empty() && q.data[0] == kFeedbackCodeSetting) {
            if (const auto code = FeedbackCode(d)) {
                HartReply r{0, {kFeedbackCodeSetting}};
                PutU32(r.data, *code);
                return r;
            }
        }
        return stored ? stored(d, q) : Code(kCodeNotImplemented);
    };
}

}  // namespace quillon::sim
