#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "device/variant.h"

namespace quillon {
namespace {

DeviceIdentity Id(int s, int h = 0, int d = 0, int channel = 0, std::uint8_t activeBits = 0) {
    DeviceIdentity id;
    id.softwareRevision = static_cast<std::uint8_t>(s);
    id.hardwareRevision = static_cast<std::uint8_t>(h);
    id.deviceRevision = static_cast<std::uint8_t>(d);
    id.selectedChannel = channel;
    id.channelConfig[1] = activeBits;
    return id;
}

// Predicates that depend on the software revision alone, against the set of
// revisions for which each holds.
TEST(Variant, SoftwareRevisionSets) {
    struct Case {
        const char* name;
        std::function<bool(const DeviceIdentity&)> predicate;
        std::set<int> revisions;
    } cases[] = {
        {"isStandardCommandFamily", isStandardCommandFamily, {6, 7, 8, 9, 10, 11, 13, 14, 15, 16}},
        {"supportsLongAddressChange", supportsLongAddressChange, {3, 6, 7, 8, 9, 11, 14, 15, 16}},
        {"isRev16", isRev16, {16}},
        {"isRev7", isRev7, {7}},
        {"isRev15", isRev15, {15}},
        {"isPreambleFamily", isPreambleFamily, {10, 13, 14, 15, 16}},
        {"hasValueCorrection", hasValueCorrection, {6, 8, 9, 11, 13, 14, 15, 16}},
        {"isRev6", isRev6, {6}},
        {"isRev8", isRev8, {8}},
        {"isRev9or11", isRev9or11, {9, 11}},
        {"isRev11", isRev11, {11}},
        {"isRev4", isRev4, {4}},
        {"isStandardFamilyExcept7_10_13", isStandardFamilyExcept7_10_13, {6, 8, 9, 11, 14, 15, 16}},
        {"isStandardFamilyExcept10_13", isStandardFamilyExcept10_13, {6, 7, 8, 9, 11, 14, 15, 16}},
        {"isRev14or16", [](const DeviceIdentity& id) { return isRev14or16(id); }, {14, 16}},
        {"hasTemperatureReadings",
         [](const DeviceIdentity& id) { return hasTemperatureReadings(id); },
         {10, 13, 14, 15, 16}},
    };
    for (const auto& c : cases)
        for (int s = 0; s <= 20; ++s) EXPECT_EQ(c.predicate(Id(s)), c.revisions.count(s) == 1) << c.name << " S=" << s;
    for (int s = 0; s <= 20; ++s) EXPECT_EQ(isNotRev10or13(Id(s)), s != 10 && s != 13) << s;
}

// Predicates that also look at the hardware or device revision or the channel.
TEST(Variant, CombinedConditions) {
    using P = std::function<bool(const DeviceIdentity&)>;
    struct Case {
        const char* name;
        P predicate;
        DeviceIdentity id;
        bool expected;
    } cases[] = {
        {"isRev3Hw1", isRev3Hw1, Id(3, 1), true},
        {"isRev3Hw1", isRev3Hw1, Id(3, 2), false},
        {"isRev3Hw1", isRev3Hw1, Id(6, 1), false},
        {"isVelkor", isVelkor, Id(3, 1, 4), true},
        {"isVelkor", isVelkor, Id(3, 1, 3), false},
        {"isVelkor", isVelkor, Id(3, 0, 4), false},
        {"isRev6Hw1", isRev6Hw1, Id(6, 1), true},
        {"isRev6Hw1", isRev6Hw1, Id(6, 0), false},
        {"supportsCalibrationRead", supportsCalibrationRead, Id(3, 1), true},
        {"supportsCalibrationRead", supportsCalibrationRead, Id(3, 0), false},
        {"supportsCalibrationRead", supportsCalibrationRead, Id(10), true},
        {"supportsCalibrationRead", supportsCalibrationRead, Id(12), false},
        {"supportsCalibrationRead", supportsCalibrationRead, Id(4), false},
        {"pollsWithExtendedRequest", pollsWithExtendedRequest, Id(9, 0, 11), true},
        {"pollsWithExtendedRequest", pollsWithExtendedRequest, Id(9, 0, 10), false},
        {"pollsWithExtendedRequest", pollsWithExtendedRequest, Id(11, 0, 11), false},
        {"pollsWithExtendedRequest", pollsWithExtendedRequest, Id(16), true},
        {"isRev16AdcChannel", isRev16AdcChannel, Id(16, 0, 0, 0), true},
        {"isRev16AdcChannel", isRev16AdcChannel, Id(16, 0, 0, 1), false},
        {"isRev16I2cChannel", isRev16I2cChannel, Id(16, 0, 0, 1), true},
        {"isRev16I2cChannel", isRev16I2cChannel, Id(14, 0, 0, 1), false},
        {"hasSensorId", hasSensorId, Id(13, 0, 1), true},
        {"hasSensorId", hasSensorId, Id(13, 0, 2), true},
        {"hasSensorId", hasSensorId, Id(13, 0, 0), false},
        {"hasSensorId", hasSensorId, Id(13, 0, 3), false},
        {"hasSensorId", hasSensorId, Id(16, 0, 0, 1), true},
        {"hasSensorId", hasSensorId, Id(16, 0, 0, 0), false},
        {"hasMeasurementCount", hasMeasurementCount, Id(6), true},
        {"hasMeasurementCount", hasMeasurementCount, Id(10), false},
        {"hasMeasurementCount", hasMeasurementCount, Id(16, 0, 0, 0), true},
        {"hasMeasurementCount", hasMeasurementCount, Id(16, 0, 0, 1), false},
        {"isAdcFamilyA", isAdcFamilyA, Id(14, 0x20), true},
        {"isAdcFamilyA", isAdcFamilyA, Id(16, 0x21), true},
        {"isAdcFamilyA", isAdcFamilyA, Id(14, 0x30), false},
        {"isAdcFamilyA", isAdcFamilyA, Id(15, 0x20), false},
        {"isAdcFamilyB", isAdcFamilyB, Id(16, 0x30), true},
        {"isAdcFamilyB", isAdcFamilyB, Id(14, 0x10), false},
        {"isAdcFamilyB", isAdcFamilyB, Id(13, 0x30), false},
        {"newerFirmwareHint", newerFirmwareHint, Id(3, 0, 0), true},
        {"newerFirmwareHint", newerFirmwareHint, Id(3, 2, 0), true},
        {"newerFirmwareHint", newerFirmwareHint, Id(3, 2, 1), false},
        {"newerFirmwareHint", newerFirmwareHint, Id(3, 1, 1), true},
        {"newerFirmwareHint", newerFirmwareHint, Id(3, 1, 2), false},
        {"newerFirmwareHint", newerFirmwareHint, Id(3, 3, 0), false},
        {"newerFirmwareHint", newerFirmwareHint, Id(6, 0, 0), false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.predicate(c.id), c.expected) << c.name;
}

TEST(Variant, CanWriteI2cSensorIdStrictAndLoose) {
    struct Case {
        DeviceIdentity id;
        bool strict;
        bool loose;
    } cases[] = {
        {Id(13, 0, 2), true, true},
        {Id(13, 0, 1), false, false},
        // Revision 16: strict asks for the selected channel, loose for the active bit.
        {Id(16, 0, 0, 1, 0x00), true, false},
        {Id(16, 0, 0, 0, 0x02), false, true},
        {Id(16, 0, 0, 0, 0x01), false, false},
        {Id(14, 0, 0, 1, 0x02), false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(canWriteI2cSensorId(c.id, true), c.strict) << int(c.id.softwareRevision);
        EXPECT_EQ(canWriteI2cSensorId(c.id, false), c.loose) << int(c.id.softwareRevision);
    }
}

TEST(Variant, CalibrationFileKindDecidesOnlyBeforeAnyDevice) {
    struct Case {
        int s;
        int kind;
        bool rev14or16;
        bool temperatures;
    } cases[] = {
        {255, 0, false, false}, {255, 1, false, false}, {255, 2, true, true},
        {255, 3, true, false},  {6, 2, false, false},   {14, 0, true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isRev14or16(Id(c.s), c.kind), c.rev14or16) << c.s << "/" << c.kind;
        EXPECT_EQ(hasTemperatureReadings(Id(c.s), c.kind), c.temperatures) << c.s << "/" << c.kind;
    }
}

TEST(Variant, ModbusAddressNeedsFastModemForRevisions10And13) {
    struct Case {
        DeviceIdentity id;
        int linkType;
        int speed;
        bool expected;
    } cases[] = {
        {Id(10), kLinkDirect, 2, true},     {Id(13), kLinkDirect, 5, true},   {Id(10), kLinkDirect, 1, false},
        {Id(10), kLinkTunnel, 2, false},    {Id(9, 1), kLinkTunnel, 0, true}, {Id(11, 1), kLinkDirect, 0, true},
        {Id(11, 0), kLinkDirect, 3, false}, {Id(14), kLinkDirect, 3, false},
    };
    for (const auto& c : cases) {
        LinkSettings settings;
        settings.linkType = c.linkType;
        settings.hartSpeedIndex = c.speed;
        EXPECT_EQ(hasModbusAddress(c.id, settings), c.expected)
            << int(c.id.softwareRevision) << " link " << c.linkType << " speed " << c.speed;
    }
}

TEST(Variant, CalibrationPointCount) {
    struct Case {
        int s;
        int d;
        int points;
    } cases[] = {{14, 1, 25}, {14, 0, 8}, {16, 0, 25}, {8, 0, 15}, {9, 3, 15},
                 {11, 0, 15}, {6, 0, 8},  {13, 1, 8},  {255, 0, 8}};
    for (const auto& c : cases) EXPECT_EQ(derivedCalibrationPointCount(Id(c.s, 0, c.d)), c.points) << c.s;
}

}  // namespace
}  // namespace quillon
