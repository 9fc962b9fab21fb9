#include <functional>
#include <stdexcept>
#include <utility>

#include "link/crc16.h"
#include "sim/calibration_examples.h"
#include "sim/device_profile.h"

namespace quillon::sim {

namespace {

bool InSet(std::uint8_t value, std::initializer_list<int> set) {
    for (int v : set)
        if (v == value) return true;
    return false;
}

std::array<std::uint8_t, 18> EepromWithText(std::string_view text) {
    std::array<std::uint8_t, 18> block{};
    for (std::size_t i = 0; i < text.size() && i < 16; ++i) block[i] = static_cast<std::uint8_t>(text[i]);
    AppendCrc(block.data(), 16);
    return block;
}

// What follows from the software revision alone; the presets then adjust.
DeviceProfile Family(std::string name, std::uint8_t sw, std::uint8_t hw = 0, std::uint8_t dev = 0) {
    DeviceProfile p;
    p.name = std::move(name);
    p.softwareRevision = sw;
    p.hardwareRevision = hw;
    p.deviceRevision = dev;
    p.longAddress = {0x26, static_cast<std::uint8_t>(0x10 + sw), 0x01, hw, static_cast<std::uint8_t>(0x20 + dev)};
    const bool standard = InSet(sw, {6, 7, 8, 9, 10, 11, 13, 14, 15, 16});
    p.pollingAddressBits = standard ? 6 : 4;
    // Request 3 of a single-channel transmitter: the temperature and the
    // temperature of its terminals.
    p.variables = {ProcessVariable{32, 21.5f, 0.01f, 0.2f, 600.0}, ProcessVariable{32, 24.0f, 0.05f, 0.5f, 1800.0}};
    if (InSet(sw, {6, 8, 9})) p.shortAddressIndex = 3;
    if (InSet(sw, {3, 11})) p.shortAddressIndex = 100;
    if (InSet(sw, {10, 13, 14, 15, 16})) p.settings[kSettingPreambles] = p.responsePreambles;
    // A few settings that a factory leaves entered: measurement count and filter.
    p.settings[0] = 4;
    p.settings[1] = 1;
    AddMeasurementSettings(p);
    AddOutputSettings(p);
    return p;
}

void TwoChannels(DeviceProfile& p) {
    p.variables = {
        ProcessVariable{32, 21.5f, 0.01f, 0.2f, 600.0},   // main channel
        ProcessVariable{32, 30.1f, 0.05f, 0.3f, 1200.0},  // processor temperature
        ProcessVariable{32, 21.4f, 0.01f, 0.2f, 600.0},   // channel 1 (converter)
        ProcessVariable{32, 21.6f, 0.02f, 0.2f, 700.0},   // channel 2 (I2C sensor)
    };
}

void WithSensor(DeviceProfile& p) {
    p.sensorId = std::array<std::uint8_t, 8>{0x28, 0xFF, 0x4C, 0x19, 0x63, 0x16, 0x03, 0x5A};
    p.sensorEeprom = EepromWithText("QS-T-0001");
}

DeviceProfile DensityMeter(std::string name, std::uint8_t generationByte) {
    DeviceProfile p = Family(std::move(name), 1);
    p.longAddress = {35, 4, 0x02, generationByte, 0x11};
    p.variables = {ProcessVariable{92, 812.5f, 0.05f, 1.0f, 900.0}, ProcessVariable{32, 18.0f, 0.02f, 0.3f, 1800.0}};
    p.period = ProcessVariable{0, 1234.567f, 0.01f, 0.5f, 900.0};
    return p;
}

// Gain byte 0x06 (gain code 2, an unrelated high bit set), 4 averaging points;
// unit code 39 (mA) in parameter block 109; the conversion maps 4-20 mA to a
// period of 1000-2000 us.
void VelkorConverter(DeviceProfile& p) {
    p.converter.present = true;
    p.converter.settings = std::array<std::uint8_t, 2>{0x06, 4};
    p.converter.conversion = std::array<std::uint8_t, 17>{1,    0x40, 0x80, 0, 0, 0x44, 0x7A, 0, 0,
                                                          0x41, 0xA0, 0,    0, 0x44, 0xFA, 0, 0};
    p.parameterBlock[109] = 39;
    p.parameterBlock[110] = 39 ^ 0x4D;
}

// A flow device of another maker: manufacturer id 0xF9 (above the 6 address
// bits, so its address differs from its id), a device type of its own,
// universal revision 7, mass flow in kg/h (unit code 75) and the temperature.
DeviceProfile OtherMakerFlowDevice() {
    DeviceProfile p;
    p.name = "foreign";
    p.longAddress = {0xF9, 0x9C, 0x00, 0x12, 0x34};
    p.universalRevision = 7;
    p.softwareRevision = 2;
    p.hardwareRevision = 1;
    p.deviceRevision = 1;
    p.pollingAddressBits = 6;
    p.ownCommands = false;
    p.tag = "FT-101";
    p.message = "MASS FLOW SIMULATOR";
    p.descriptor = "FLOW LINE 1";
    p.date = {15, 3, 124};
    p.variables = {ProcessVariable{75, 1250.0f, 0.5f, 20.0f, 600.0}, ProcessVariable{32, 18.5f, 0.02f, 0.3f, 1800.0}};
    p.loopCurrent = ProcessVariable{39, 16.5f, 0.002f, 0.3f, 600.0};
    p.settingLimit = 0;
    return p;
}

using Maker = std::function<DeviceProfile()>;

const std::vector<std::pair<std::string_view, Maker>>& Table() {
    static const std::vector<std::pair<std::string_view, Maker>> table = {
        {"rev1", [] { return DensityMeter("rev1", 6); }},
        {"density5", [] { return DensityMeter("density5", 5); }},
        {"density6", [] { return DensityMeter("density6", 6); }},
        {"density7", [] { return DensityMeter("density7", 7); }},
        {"rev3", [] { return Family("rev3", 3, 0, 0); }},
        {"rev3-hw2", [] { return Family("rev3-hw2", 3, 2, 0); }},
        {"rev3-hw1",
         [] {
             auto p = Family("rev3-hw1", 3, 1, 1);
             p.longAddressIndex = 105;
             return p;
         }},
        {"rev3-hw1-d2",
         [] {
             auto p = Family("rev3-hw1-d2", 3, 1, 2);
             p.longAddressIndex = 105;
             return p;
         }},
        {"velkor",
         [] {
             auto p = Family("velkor", 3, 1, 4);
             p.longAddressIndex = 105;
             p.variables = {ProcessVariable{39, 12.0f, 0.001f, 0.05f, 600.0},
                            ProcessVariable{32, 22.0f, 0.05f, 0.5f, 1800.0}};
             p.period = ProcessVariable{0, 1500.0f, 0.01f, 0.5f, 900.0};
             VelkorConverter(p);
             return p;
         }},
        {"rev4", [] { return Family("rev4", 4); }},
        {"rev6", [] { return Family("rev6", 6); }},
        {"rev6-hw1", [] { return Family("rev6-hw1", 6, 1); }},
        {"rev7", [] { return Family("rev7", 7); }},
        {"rev8", [] { return Family("rev8", 8); }},
        {"rev9", [] { return Family("rev9", 9); }},
        {"rev9-d11",
         [] {
             auto p = Family("rev9-d11", 9, 0, 11);
             TwoChannels(p);
             return p;
         }},
        {"rev9-hw1",
         [] {
             auto p = Family("rev9-hw1", 9, 1);
             p.settings[kSettingModbusAddress] = 1;
             return p;
         }},
        {"rev10",
         [] {
             auto p = Family("rev10", 10);
             p.settings[kSettingModbusAddress] = 1;
             return p;
         }},
        {"rev11", [] { return Family("rev11", 11); }},
        {"rev11-hw1",
         [] {
             auto p = Family("rev11-hw1", 11, 1);
             p.settings[kSettingModbusAddress] = 1;
             return p;
         }},
        {"rev13", [] { return Family("rev13", 13, 0, 0); }},
        {"rev13-d1",
         [] {
             auto p = Family("rev13-d1", 13, 0, 1);
             WithSensor(p);
             p.sensorEeprom.reset();
             return p;
         }},
        {"rev13-d2",
         [] {
             auto p = Family("rev13-d2", 13, 0, 2);
             WithSensor(p);
             return p;
         }},
        {"rev14", [] { return Family("rev14", 14, 0x20, 0); }},
        {"burst",
         [] {
             auto p = Family("burst", 14, 0x20, 0);
             p.burstMode = true;
             return p;
         }},
        {"rev14-d1", [] { return Family("rev14-d1", 14, 0x20, 1); }},
        {"rev14-hw30", [] { return Family("rev14-hw30", 14, 0x30, 1); }},
        {"rev15", [] { return Family("rev15", 15); }},
        {"foreign", OtherMakerFlowDevice},
        {"rev16",
         [] {
             auto p = Family("rev16", 16, 0x20, 0);
             TwoChannels(p);
             WithSensor(p);
             p.settings[kSettingChannels] = 0x00000300;  // channel 1 main, both active
             return p;
         }},
    };
    return table;
}

}  // namespace

DeviceProfile Preset(std::string_view name) {
    for (const auto& [presetName, make] : Table())
        if (presetName == name) {
            DeviceProfile p = make();
            if (p.ownCommands) GiveExampleCalibration(p);
            return p;
        }
    throw std::invalid_argument("unknown device preset: " + std::string(name));
}

std::vector<std::string> PresetNames() {
    std::vector<std::string> names;
    for (const auto& entry : Table()) names.emplace_back(entry.first);
    return names;
}

}  // namespace quillon::sim
