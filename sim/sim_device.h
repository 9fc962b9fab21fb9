#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <random>

#include "sim/device_profile.h"
#include "sim/hart_frames.h"

namespace quillon::sim {

// A simulated field device: its profile plus a table of command handlers.
// Handlers may be replaced or added by a test to make the device misbehave.
class SimDevice {
public:
    using Handler = std::function<HartReply(SimDevice&, const HartRequest&)>;

    explicit SimDevice(DeviceProfile profile, std::uint32_t seed = 1);

    // Answers a checked request, or nothing when it is addressed to another
    // device. `nowUs` drives the slow drift of the live values.
    std::optional<HartAnswer> handle(const HartRequest& request, std::int64_t nowUs);

    bool addressedBy(const HartRequest& request) const;

    DeviceProfile& profile() { return profile_; }
    const DeviceProfile& profile() const { return profile_; }
    std::map<std::uint8_t, Handler>& commands() { return commands_; }
    // Settings the device measures: a read answers from here before the stored settings.
    LiveSettingTable& liveSettings() { return liveSettings_; }

    // --- identity ---
    void setLongAddress(const std::array<std::uint8_t, 5>& address) { profile_.longAddress = address; }
    void setSoftwareRevision(std::uint8_t v) { profile_.softwareRevision = v; }
    void setHardwareRevision(std::uint8_t v) { profile_.hardwareRevision = v; }
    void setDeviceRevision(std::uint8_t v) { profile_.deviceRevision = v; }
    void setResponsePreambles(std::uint8_t v);
    void setShortAddress(std::uint8_t v);
    void setTag(std::string tag) { profile_.tag = std::move(tag); }

    // --- the button on the housing ---
    void pressButton() { profile_.protection.locked = false; }
    void lock(std::uint8_t refusalCode = 7) { profile_.protection = {true, refusalCode}; }
    bool locked() const { return profile_.protection.locked; }

    // --- live values ---
    float sample(const ProcessVariable& v, std::int64_t nowUs);
    // A standard normal draw from the device's own generator (repeatable per seed).
    float gaussian() { return gauss_(random_); }
    void seed(std::uint32_t seed) { random_.seed(seed); }

    // --- the parameter block ---
    std::uint8_t blockByte(std::uint16_t index) const;
    void setBlockByte(std::uint16_t index, std::uint8_t value) { profile_.parameterBlock[index] = value; }
    // A long address written to the block waits here until command 192 confirms it.
    std::optional<std::array<std::uint8_t, 3>> pendingDeviceId;

    // Number of requests answered, for tests and the console.
    unsigned answered = 0;
    // Set by a handler: its answer goes out as a broken firmware's, with byte
    // count 0 and neither status byte (nor data). Cleared with that answer.
    bool nextAnswerWithoutStatus = false;
    // Set by a handler: the request is not for this device after all (a
    // command 11 for another tag), and nothing is sent.
    bool nextAnswerSilent = false;
    // Time of the request being handled, for handlers that sample live values.
    std::int64_t nowUs() const { return lastNowUs_; }

private:
    std::int64_t lastNowUs_ = 0;
    DeviceProfile profile_;
    std::map<std::uint8_t, Handler> commands_;
    LiveSettingTable liveSettings_;
    std::mt19937 random_;
    std::normal_distribution<float> gauss_{0.0f, 1.0f};
};

// Fills a device's table with every command this simulator knows.
void InstallCommands(std::map<std::uint8_t, SimDevice::Handler>& table);
// The universal commands only, as a device of another maker answers them.
void InstallOtherMakerCommands(std::map<std::uint8_t, SimDevice::Handler>& table);

// Commands that change the device and so honour the write protection.
bool IsWriteCommand(std::uint8_t command);

// Response codes the simulated firmware uses.
inline constexpr std::uint8_t kCodeNotEntered = 1;
inline constexpr std::uint8_t kCodeInvalidSelection = 2;
inline constexpr std::uint8_t kCodeTooLarge = 3;
inline constexpr std::uint8_t kCodeTooSmall = 4;
inline constexpr std::uint8_t kCodeTooFewBytes = 5;
inline constexpr std::uint8_t kCodeNotImplemented = 64;

}  // namespace quillon::sim
