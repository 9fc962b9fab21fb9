// A device of another maker: identified by what HART makes universal, told
// apart from this maker's, and never sent a maker-specific command.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "device/addressing.h"
#include "device/channels.h"
#include "device/device_make.h"
#include "device/identification.h"
#include "device/measurement_parameters.h"
#include "device/modbus_address.h"
#include "device/parameter_access.h"
#include "device/preambles.h"
#include "device/sensor_id.h"
#include "device/settings_sequence.h"
#include "device/tag.h"
#include "device/value_correction.h"
#include "device/variant.h"
#include "support/sim_fixture.h"

namespace quillon::testing {
namespace {

constexpr const char* kForeignMake = "код производителя F9h, тип устройства F99Ch, HART 7";

TEST(ForeignDevice, IdentifiedWithItsMakerAndType) {
    SimBench b("foreign", false);
    const Result<DeviceIdentity> r = Identify(b.state);
    ASSERT_TRUE(r.done());
    EXPECT_EQ(r.value.manufacturerId, 0xF9);
    EXPECT_EQ(r.value.deviceType, 0xF99C);
    EXPECT_EQ(r.value.universalRevision, 7);
    EXPECT_FALSE(isOwnMake(r.value));
    IdentityWindow window;
    FillIdentityWindow(r.value, window);
    EXPECT_EQ(window.labels[4], std::string("Устройство другого производителя: ") + kForeignMake);
    EXPECT_TRUE(window.label5Visible);
    // Never "свои команды": those are this maker's.
    EXPECT_EQ(DerivedVariantText(r.value), window.labels[4]);
    const auto refused = RequireOwnMake(r.value);
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->kind, OutcomeKind::NotPossible);
    EXPECT_EQ(refused->reason, std::string("Команда производителя недоступна: устройство другого производителя (") +
                                   kForeignMake + ").");
}

// An own device keeps its identity window exactly; the settings file may add
// a maker of its own.
TEST(ForeignDevice, OwnMakeByIdentityOrByTheSettingsList) {
    struct Case {
        const char* preset;
        const char* ownDevices;
        bool own;
        const char* label5;
    } cases[] = {
        {"rev14", "", true, "T версии 911 8 точек калибровки"},
        {"rev6", "", true, ""},
        {"density6", "", true, ""},
        {"foreign", "", false, "Устройство другого производителя: код производителя F9h, тип устройства F99Ch, HART 7"},
        {"foreign", "3A, F9:F99D", false,
         "Устройство другого производителя: код производителя F9h, тип устройства F99Ch, HART 7"},
        {"foreign", "3A; f9:f99c", true, ""},
        {"foreign", "F9", true, ""},
        {"foreign", "zz F9:", false,
         "Устройство другого производителя: код производителя F9h, тип устройства F99Ch, HART 7"},
    };
    for (const auto& c : cases) {
        SimBench b(c.preset, false);
        b.state.settings.ownDevices = c.ownDevices;
        ASSERT_TRUE(Identify(b.state).done()) << c.preset;
        EXPECT_EQ(isOwnMake(b.state.identity), c.own) << c.preset << " " << c.ownDevices;
        IdentityWindow window;
        FillIdentityWindow(b.state.identity, window);
        EXPECT_EQ(window.labels[4], c.label5) << c.preset << " " << c.ownDevices;
    }
}

TEST(ForeignDevice, MakeOfAnIdentityAnswer) {
    struct Case {
        std::vector<std::uint8_t> data;
        DeviceMake make;
    } cases[] = {
        // Revision 5: manufacturer and type in bytes 1 and 2.
        {{254, 0x26, 0x16, 5, 5, 0, 6, 0, 0, 1, 2, 3}, {0x26, 0x16, 5}},
        // Revision 7 with bytes 17-18: the expanded type and the 16-bit maker.
        {{254, 0xF9, 0x9C, 5, 7, 1, 2, 1, 0, 0, 0x12, 0x34, 5, 2, 0, 1, 0, 0x00, 0xF9}, {0xF9, 0xF99C, 7}},
        {{254, 0xE0, 0x10, 5, 7, 1, 2, 1, 0, 0, 0x12, 0x34, 5, 2, 0, 1, 0, 0x60, 0x2A}, {0x602A, 0xE010, 7}},
    };
    for (const auto& c : cases) {
        const DeviceMake m = MakeFromIdentityAnswer(c.data.data(), c.data.size());
        EXPECT_EQ(m.manufacturerId, c.make.manufacturerId);
        EXPECT_EQ(m.deviceType, c.make.deviceType);
        EXPECT_EQ(m.universalRevision, c.make.universalRevision);
    }
    EXPECT_EQ(MakeText({0x602A, 0xE010, 7}), "код производителя 602Ah, тип устройства E010h, HART 7");
}

// Every maker-specific operation says so before any request goes out.
TEST(ForeignDevice, RefusesEveryMakerSpecificOperationWithNoRequestSent) {
    struct Op {
        const char* name;
        std::function<Outcome(AppState&)> run;
    } ops[] = {
        {"setting read", [](AppState& s) { return ReadSetting(s, 3, "Чтение").outcome; }},
        {"setting write", [](AppState& s) { return WriteSetting(s, 3, 1, "Запись", NeverRepeat); }},
        {"setting group read",
         [](AppState& s) { return ReadSettingValues(s, {{12, 0, "", ""}, {14, 0, "", ""}}).outcome; }},
        {"setting group write", [](AppState& s) { return WriteSettingValues(s, {{12, 1}, {14, 2}}, NeverRepeat); }},
        {"measurement parameters read", [](AppState& s) { return ReadMeasurementParameters(s).outcome; }},
        {"measurement parameters write",
         [](AppState& s) { return WriteMeasurementParameters(s, MeasurementParameters{}, NeverRepeat); }},
        {"value correction read", [](AppState& s) { return ReadValueCorrection(s).outcome; }},
        {"value correction write", [](AppState& s) { return WriteValueCorrection(s, {}, NeverRepeat); }},
        {"sensor id", [](AppState& s) { return ReadSensorId(s).outcome; }},
        {"sensor block read", [](AppState& s) { return ReadSensorBlock(s).outcome; }},
        {"sensor block write", [](AppState& s) { return WriteSensorBlock(s, SensorBlockFor("X"), NeverRepeat); }},
        {"channels read", [](AppState& s) { return ReadChannelConfig(s).outcome; }},
        {"channels write", [](AppState& s) { return WriteChannelConfig(s, 0x300, NeverRepeat); }},
        {"Modbus address read", [](AppState& s) { return ReadModbusAddress(s).outcome; }},
        {"Modbus address write", [](AppState& s) { return WriteModbusAddress(s, 5, NeverRepeat); }},
        {"preambles read", [](AppState& s) { return ReadPreambleCount(s).outcome; }},
        {"preambles write", [](AppState& s) { return WritePreambleCount(s, 5, NeverRepeat); }},
        {"long address", [](AppState& s) { return WriteLongAddress(s, {1, 2, 3}, NeverRepeat); }},
    };
    SimBench b("foreign", false);
    ASSERT_TRUE(Identify(b.state).done());
    // Made to look like this maker's richest variants, so that only the maker stops them.
    b.state.identity.softwareRevision = 16;
    b.state.identity.hardwareRevision = 1;
    for (const auto& op : ops) {
        const std::uint64_t before = b.state.requestsSent;
        const std::size_t answered = b.device().answered;
        const Outcome o = op.run(b.state);
        EXPECT_EQ(o.kind, OutcomeKind::NotPossible) << op.name;
        EXPECT_EQ(o.reason.rfind("Команда производителя недоступна", 0), 0u) << op.name << ": " << o.reason;
        EXPECT_EQ(b.state.requestsSent, before) << op.name;
        EXPECT_EQ(b.device().answered, answered) << op.name;
    }
}

// What HART makes universal works on it: tag, tag with descriptor and date,
// and the short address through command 6.
TEST(ForeignDevice, UniversalCommandsWork) {
    SimBench b("foreign", false);
    ASSERT_TRUE(Identify(b.state).done());
    const Result<std::string> tag = ReadTag(b.state);
    ASSERT_TRUE(tag.done());
    EXPECT_EQ(tag.value, "FT-101");
    const Result<TagDescriptorDate> t = ReadTagDescriptorDate(b.state);
    ASSERT_TRUE(t.done());
    EXPECT_EQ(t.value.tag, "FT-101");
    EXPECT_EQ(t.value.descriptor, "FLOW LINE 1");
    EXPECT_EQ(t.value.day, 15);
    EXPECT_EQ(t.value.month, 3);
    EXPECT_EQ(t.value.year, 2024);
    b.ui.messages.clear();
    ShowReport(b.ui, TagDescriptorDateReport(t));
    EXPECT_EQ(b.ui.messageTexts(),
              (std::vector<std::string>{"Тег: FT-101\nДескриптор: FLOW LINE 1\nДата: 15.03.2024"}));
    EXPECT_TRUE(WriteShortAddress(b.state, 4, NeverRepeat).done());
    EXPECT_EQ(b.device().profile().shortAddress, 4);
}

// The tag written is the tag read back, on this maker's device too; the
// tag, descriptor and date come through command 13 as well.
TEST(TagOperations, WriteThenReadBack) {
    SimBench b("rev6");
    ASSERT_TRUE(Identify(b.state).done());
    ASSERT_TRUE(WriteTag(b.state, "ТП-12 цех", NeverRepeat).done());
    const Result<std::string> tag = ReadTag(b.state);
    ASSERT_TRUE(tag.done());
    EXPECT_EQ(tag.value, "ТП-12 цех");
    b.device().setTag("PT-7 LINE");
    const Result<TagDescriptorDate> t = ReadTagDescriptorDate(b.state);
    ASSERT_TRUE(t.done());
    EXPECT_EQ(t.value.tag, "PT-7 LIN");  // the short tag holds 8 characters
    EXPECT_EQ(t.value.year, 2024);
}

// Packed ASCII written out from the HART rules: "MASS" is 001101 000001
// 010011 010011.
TEST(TagOperations, UnpacksPackedAscii) {
    const std::uint8_t mass[] = {0x34, 0x14, 0xD3};
    EXPECT_EQ(UnpackAscii(mass, 3), "MASS");
    const std::uint8_t spaces[] = {0x82, 0x08, 0x20};  // 100000 x4
    EXPECT_EQ(UnpackAscii(spaces, 3), "    ");
    const std::uint8_t digits[] = {0xC7, 0x2C, 0xF4};  // 110001 110010 110011 110100
    EXPECT_EQ(UnpackAscii(digits, 3), "1234");
}

}  // namespace
}  // namespace quillon::testing
