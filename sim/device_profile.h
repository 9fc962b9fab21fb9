#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/calibration_store.h"
#include "sim/converter_store.h"
#include "sim/live_readings.h"

namespace quillon::sim {

// One measured quantity: a slow drift around a base value plus a little noise.
struct ProcessVariable {
    std::uint8_t unit = 32;  // HART unit code
    float base = 0.0f;
    float noise = 0.0f;           // standard deviation of the noise
    float driftAmplitude = 0.0f;  // peak of the slow drift
    double driftPeriodS = 600.0;
};

// The "button on the housing": while locked, writes answer `refusalCode`.
struct WriteProtection {
    bool locked = false;
    std::uint8_t refusalCode = 7;  // 7 or 16 (the lock), or another error code
};

// Everything that makes one simulated field device what it is.
struct DeviceProfile {
    std::string name;
    // Byte 0 is the whole manufacturer id, as command 0 reports it; an
    // address on the wire carries only its low 6 bits.
    std::array<std::uint8_t, 5> longAddress{0x26, 0x0F, 0x00, 0x00, 0x01};
    std::uint8_t softwareRevision = 6;
    std::uint8_t hardwareRevision = 0;
    std::uint8_t deviceRevision = 0;
    std::uint8_t universalRevision = 5;
    std::uint8_t flags = 0;
    std::uint8_t responsePreambles = 5;
    std::uint8_t shortAddress = 0;
    // Width of the polling address: 4 bits on old firmware, 6 on newer.
    int pollingAddressBits = 4;
    std::uint8_t deviceStatus = 0;
    std::string tag = "QUILLON SIM";
    // Commands 12 and 13 of a device of another maker: message, descriptor
    // and date (day, month, year - 1900).
    std::string message;
    std::string descriptor;
    std::array<std::uint8_t, 3> date{1, 1, 124};
    std::array<std::uint8_t, 3> finalAssemblyNumber{0, 0, 1};
    // This maker's command set; a device of another maker answers only the
    // universal commands and refuses every other with "not implemented".
    bool ownCommands = true;
    // The device bursts: its answers carry the burst-mode bit (0x40) in the
    // address, whatever the request had.
    bool burstMode = false;

    // Command 1 reports the first; command 3 reports them all (1 to 4).
    std::vector<ProcessVariable> variables{ProcessVariable{32, 21.5f, 0.01f, 0.2f, 600.0}};
    ProcessVariable loopCurrent{39, 12.0f, 0.001f, 0.05f, 900.0};
    // Command 110 (period output of density meters), in microseconds.
    std::optional<ProcessVariable> period;

    // Settings under a one-byte number (commands 176/177); absent = never entered.
    std::map<std::uint8_t, std::uint32_t> settings;
    // Numbers at or above this are unknown to the firmware.
    unsigned settingLimit = 64;
    // Parameter block: byte area under a 16-bit index (commands 190/191/192).
    std::map<std::uint16_t, std::uint8_t> parameterBlock;
    // Where the block keeps the short address (address, check byte), if it does.
    std::optional<std::uint16_t> shortAddressIndex;
    // Where a long-address write is staged before command 192 confirms it.
    std::uint16_t longAddressIndex = 127;

    std::optional<std::array<std::uint8_t, 8>> sensorId;
    // The I2C sensor's EEPROM block (commands 221/222); absent = no sensor there.
    std::optional<std::array<std::uint8_t, 18>> sensorEeprom;

    WriteProtection protection;

    // What the converter reads now (settings 10, 19, 20, 30 and command 113).
    LiveInputs live;
    // The calibration in the device's memory.
    CalibrationStore calibration;

    // Measurements between self-calibrations of older devices (commands 117/118); absent = never entered.
    std::optional<std::uint8_t> measurementCount;
    // The last density-meter constants message (command 114), as sent.
    std::optional<std::array<std::uint8_t, 10>> densityConstants;
    // The loop current as it was before command 40 fixed it; set while fixed.
    std::optional<ProcessVariable> loopCurrentBeforeFix;
    // Converter settings and current-to-value conversion (commands 193-196).
    ConverterStore converter;
};

// The measurement parameters, value correction and density-meter constants a
// factory leaves in a device of the profile's revision.
void AddMeasurementSettings(DeviceProfile& p);

// A preset for each firmware family the tool tells apart. Throws
// std::invalid_argument for an unknown name.
DeviceProfile Preset(std::string_view name);
std::vector<std::string> PresetNames();

// The DAC scaling and PWM settings a factory leaves in a device of the profile's
// family, and the DAC record of the older transmitters' parameter block.
void AddOutputSettings(DeviceProfile& p);

// Setting numbers with a meaning of their own.
inline constexpr std::uint8_t kSettingModbusAddress = 3;
inline constexpr std::uint8_t kSettingPreambles = 22;
inline constexpr std::uint8_t kSettingChannels = 33;

}  // namespace quillon::sim
