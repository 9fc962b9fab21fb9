// The device layer's reads and writes against the simulator through the
// real engine: what is written is what is read back, in the device's own
// encodings.

#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <string>

#include "device/channels.h"
#include "device/identification.h"
#include "device/measurement_parameters.h"
#include "device/modbus_address.h"
#include "device/preambles.h"
#include "device/sensor_id.h"
#include "device/value_correction.h"
#include "support/sim_fixture.h"

namespace quillon::testing {
namespace {

TEST(DeviceReadsAndWrites, WrittenValuesReadBack) {
    struct Case {
        const char* name;
        const char* preset;
        std::function<Outcome(AppState&)> write;
        std::function<void(AppState&, SimBench&)> check;  // reads through the op, and the device's store
    } cases[] = {
        {"measurement set A", "rev6",
         [](AppState& s) {
             MeasurementParameters p;
             p.mainPeriod = 1800;
             p.damping = 4;
             p.thirdPeriod = 2700;
             return WriteMeasurementParameters(s, p, NeverRepeat);
         },
         [](AppState& s, SimBench& b) {
             const auto r = ReadMeasurementParameters(s);
             ASSERT_TRUE(r.done());
             EXPECT_EQ(r.value.mainPeriod, 1800);
             EXPECT_EQ(r.value.damping, 4);
             EXPECT_EQ(r.value.thirdPeriod, 2700);
             EXPECT_EQ(b.device().profile().settings[13], 2700u);  // the feedback channel's setting
         }},
        {"measurement set B", "rev15",
         [](AppState& s) {
             MeasurementParameters p;
             p.damping = 20;
             p.mainPeriod = 800;
             p.thirdPeriod = 7;
             p.ambientCalibration = 100;
             return WriteMeasurementParameters(s, p, NeverRepeat);
         },
         [](AppState& s, SimBench& b) {
             const auto r = ReadMeasurementParameters(s);
             ASSERT_TRUE(r.done());
             EXPECT_EQ(r.value.damping, 20);
             EXPECT_EQ(r.value.mainPeriod, 800);
             EXPECT_EQ(r.value.thirdPeriod, 7);
             EXPECT_EQ(r.value.ambientCalibration, 100);
             EXPECT_EQ(b.device().profile().settings[4], 100u);
         }},
        {"cathodic sensor", "rev7",
         [](AppState& s) {
             MeasurementParameters p;
             p.currentOutput = true;
             p.shunt = 0.00075f;
             return WriteMeasurementParameters(s, p, NeverRepeat);
         },
         [](AppState& s, SimBench& b) {
             const auto r = ReadMeasurementParameters(s);
             ASSERT_TRUE(r.done());
             EXPECT_TRUE(r.value.currentOutput);
             EXPECT_EQ(r.value.shunt, 0.00075f);
             EXPECT_EQ(b.device().profile().settings[8], std::bit_cast<std::uint32_t>(0.00075f));
         }},
        {"value correction", "rev6",
         [](AppState& s) { return WriteValueCorrection(s, {-0.25f, 1.5f}, NeverRepeat); },
         [](AppState& s, SimBench& b) {
             const auto r = ReadValueCorrection(s);
             ASSERT_TRUE(r.done());
             EXPECT_EQ(r.value.offset, -0.25f);
             EXPECT_EQ(r.value.factor, 1.5f);
             EXPECT_EQ(b.device().profile().settings[16], 0x3FC00000u);  // 1.5
         }},
        {"Modbus address", "rev9-hw1", [](AppState& s) { return WriteModbusAddress(s, 17, NeverRepeat); },
         [](AppState& s, SimBench&) {
             s.modbusAddress = 0;
             const auto r = ReadModbusAddress(s);
             ASSERT_TRUE(r.done());
             EXPECT_EQ(r.value, 17);
             EXPECT_EQ(s.modbusAddress, 17);
         }},
        {"preambles, setting 22", "rev14", [](AppState& s) { return WritePreambleCount(s, 12, NeverRepeat); },
         [](AppState& s, SimBench&) {
             const auto r = ReadPreambleCount(s);
             ASSERT_TRUE(r.done());
             EXPECT_EQ(r.value, 12);
         }},
        {"preambles, command 59", "rev6", [](AppState& s) { return WritePreambleCount(s, 12, NeverRepeat); },
         [](AppState& s, SimBench& b) {
             EXPECT_EQ(s.identity.responsePreambles, 12);
             EXPECT_EQ(b.device().profile().responsePreambles, 12);
         }},
        {"channels", "rev16", [](AppState& s) { return WriteChannelConfig(s, 0x301, NeverRepeat); },
         [](AppState& s, SimBench&) {
             EXPECT_EQ(s.identity.selectedChannel, 1);
             const auto r = ReadChannelConfig(s);
             ASSERT_TRUE(r.done());
             EXPECT_EQ(r.value, (std::array<std::uint8_t, 4>{1, 3, 0, 0}));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimBench b(c.preset);
        ASSERT_TRUE(Identify(b.state).done());
        const Outcome o = c.write(b.state);
        ASSERT_TRUE(o.done()) << int(o.kind) << " " << int(o.responseCode) << " " << o.reason;
        c.check(b.state, b);
    }
}

TEST(DeviceReadsAndWrites, SensorIdentifierAndItsBlock) {
    SimBench b("rev13-d2");
    ASSERT_TRUE(Identify(b.state).done());
    const auto id = ReadSensorId(b.state);
    ASSERT_TRUE(id.done());
    EXPECT_EQ(id.value, (SensorId{0x28, 0xFF, 0x4C, 0x19, 0x63, 0x16, 0x03, 0x5A}));
    EXPECT_TRUE(b.state.identity.sensorIdKnown);
    ASSERT_TRUE(WriteSensorBlock(b.state, SensorBlockFor("SN-0042"), NeverRepeat).done());
    const auto block = ReadSensorBlock(b.state);
    ASSERT_TRUE(block.done());
    EXPECT_EQ(SensorBlockText(block.value), "SN-0042");
    EXPECT_EQ(block.value, SensorBlockFor("SN-0042"));
}

}  // namespace
}  // namespace quillon::testing
