#include "sim/sim_device.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace quillon::sim {

SimDevice::SimDevice(DeviceProfile profile, std::uint32_t seed) : profile_(std::move(profile)), random_(seed) {
    if (profile_.ownCommands)
        InstallCommands(commands_);
    else
        InstallOtherMakerCommands(commands_);
    InstallLiveReadings(liveSettings_);
    setShortAddress(profile_.shortAddress);
}

void SimDevice::setShortAddress(std::uint8_t v) {
    profile_.shortAddress = v;
    // Firmware that keeps the address in its parameter block keeps it there
    // with its check byte, where the tool reads it back.
    if (profile_.shortAddressIndex) {
        const std::uint16_t i = *profile_.shortAddressIndex;
        profile_.parameterBlock[i] = v;
        profile_.parameterBlock[static_cast<std::uint16_t>(i + 1)] = static_cast<std::uint8_t>(v ^ 0x4D);
    }
}

void SimDevice::setResponsePreambles(std::uint8_t v) {
    profile_.responsePreambles = v;
    if (profile_.settings.count(kSettingPreambles)) profile_.settings[kSettingPreambles] = v;
}

std::uint8_t SimDevice::blockByte(std::uint16_t index) const {
    auto it = profile_.parameterBlock.find(index);
    return it == profile_.parameterBlock.end() ? 0xFF : it->second;  // erased memory reads 0xFF
}

float SimDevice::sample(const ProcessVariable& v, std::int64_t nowUs) {
    const double t = static_cast<double>(nowUs) / 1e6;
    const double drift =
        v.driftPeriodS > 0 ? v.driftAmplitude * std::sin(2 * std::numbers::pi * t / v.driftPeriodS) : 0.0;
    return static_cast<float>(v.base + drift) + v.noise * gauss_(random_);
}

bool SimDevice::addressedBy(const HartRequest& r) const {
    if (r.longFrame) {
        // Command 11 finds a device by its tag: it goes to the broadcast address.
        const bool broadcast = (r.address[0] & 0x3F) == 0 && r.address[1] == 0 && r.address[2] == 0 &&
                               r.address[3] == 0 && r.address[4] == 0;
        if (broadcast && r.command == 11) return true;
        if ((r.address[0] & 0x3F) != (profile_.longAddress[0] & 0x3F)) return false;
        for (int i = 1; i < 5; ++i)
            if (r.address[i] != profile_.longAddress[i]) return false;
        return true;
    }
    const std::uint8_t mask = profile_.pollingAddressBits >= 6 ? 0x3F : 0x0F;
    const std::uint8_t polled = r.address[0] & 0x3F;
    // The tool polls address 16 when the user entered none; every device
    // answers that identification request so that its address can be learned.
    if (polled == 16 && r.command == 0) return true;
    return (polled & mask) == (profile_.shortAddress & mask) && (polled & ~mask) == 0;
}

std::optional<HartAnswer> SimDevice::handle(const HartRequest& request, std::int64_t nowUs) {
    if (!addressedBy(request)) return std::nullopt;
    HartReply reply;
    if (IsWriteCommand(request.command) && profile_.protection.locked) {
        reply.responseCode = profile_.protection.refusalCode;
    } else if (auto it = commands_.find(request.command); it != commands_.end()) {
        lastNowUs_ = nowUs;
        reply = it->second(*this, request);
    } else {
        reply.responseCode = kCodeNotImplemented;
    }
    ++answered;
    if (std::exchange(nextAnswerSilent, false)) return std::nullopt;

    // The answer goes out under the address the device has now, which after
    // an address change is already the new one.
    HartAnswer answer;
    answer.longFrame = request.longFrame;
    answer.command = request.command;
    answer.responseCode = reply.responseCode;
    answer.deviceStatus = profile_.deviceStatus;
    answer.data = std::move(reply.data);
    answer.withoutStatus = std::exchange(nextAnswerWithoutStatus, false);
    const std::uint8_t master = request.address[0] & kMasterBit;
    const std::uint8_t burst = profile_.burstMode ? kBurstBit : 0;
    if (request.longFrame) {
        answer.address = profile_.longAddress;
        answer.address[0] = static_cast<std::uint8_t>((answer.address[0] & 0x3F) | master | burst);
    } else {
        answer.address[0] = static_cast<std::uint8_t>((profile_.shortAddress & 0x3F) | master | burst);
    }
    return answer;
}

}  // namespace quillon::sim
