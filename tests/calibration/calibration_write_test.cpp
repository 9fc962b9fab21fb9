#include <gtest/gtest.h>

#include <bit>

#include "calibration/calibration_point_entry.h"
#include "calibration/calibration_write.h"
#include "calibration/calibration_write_op.h"
#include "device/device_test_support.h"
#include "device/measuring_channel.h"
#include "device/outcome_text.h"
#include "device/variant.h"
#include "support/request_capture.h"

namespace quillon {
namespace {

using Bytes = std::vector<std::uint8_t>;
using sim::HartReply;
using testing::SimBench;

// A device of the given profile, identified as the tool would have it.
struct Known {
    explicit Known(sim::DeviceProfile profile) : b(std::move(profile)) {
        auto& id = b.state.identity;
        const auto& p = b.device().profile();
        id.identified = true;
        id.softwareRevision = p.softwareRevision;
        id.deviceRevision = p.deviceRevision;
        id.hardwareRevision = p.hardwareRevision;
        id.calibrationPointCount = derivedCalibrationPointCount(id);
        id.channelConfig = {0, 3, 0, 0};
    }
    explicit Known(std::string_view preset) : Known(sim::Preset(preset)) {}

    // Records the data of every request of `command`, keeping the device's answer.
    std::shared_ptr<std::vector<Bytes>> record(std::uint8_t command) { return testing::CaptureRequests(b, command); }
    SimBench b;
};

Bytes Le(float f) {
    const auto v = std::bit_cast<std::uint32_t>(f);
    return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}
Bytes Be(float f) {
    Bytes b = Le(f);
    return {b[3], b[2], b[1], b[0]};
}
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
std::uint8_t Xor(const Bytes& b) {
    std::uint8_t x = 0x4D;
    for (auto v : b) x ^= v;
    return x;
}

TEST(WriteCodePoints, SlotsFromTheTopWithTheLastFlagOnTheLowestPoint) {
    struct Case {
        const char* preset;
        int channel;
        std::uint8_t slots[3];
    } cases[] = {{"rev6", 0, {0x07, 0x06, 0x05}}, {"rev9-d11", 1, {0x8E, 0x8D, 0x8C}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.preset);
        Known t(c.preset);
        t.b.state.calibration.codePoints = {{100000, 0.0f, 0}, {200000, 50.0f, 0}, {300000, 100.0f, 0}};
        t.b.ui.onDialog<MeasuringChannelDialog>([&](MeasuringChannelDialog& d) {
            d.channel = c.channel;
            return true;
        });
        auto seen = t.record(115);
        WriteCodePoints(t.b.state, t.b.state.calibration);

        ASSERT_EQ(seen->size(), 3u);
        // Highest code first, code and value most significant byte first.
        EXPECT_EQ((*seen)[0], Cat({{c.slots[0], 0, 0x04, 0x93, 0xE0}, Be(100.0f)}));
        EXPECT_EQ((*seen)[1], Cat({{c.slots[1], 0, 0x03, 0x0D, 0x40}, Be(50.0f)}));
        EXPECT_EQ((*seen)[2], Cat({{c.slots[2], 1, 0x01, 0x86, 0xA0}, Be(0.0f)}));
        const auto& slots = t.b.device().profile().calibration.codeSlots[std::size_t(c.channel)];
        ASSERT_EQ(slots.size(), 3u);
        EXPECT_TRUE(slots.at(c.slots[2] & 0x7F).last);
        EXPECT_EQ(t.b.ui.progressTexts.at(1), "Запись точки 1. Попытка 1");
        // Then the correction is reset and the device asked whether it accepts the calibration.
        EXPECT_EQ(t.b.ui.messageTexts(), (std::vector<std::string>{"Калибровка OK!"}));
        EXPECT_EQ(t.b.device().profile().settings.at(15), 0u);
        EXPECT_EQ(t.b.device().profile().settings.at(16), 0x3F800000u);
    }
}

TEST(WriteCodePoints, WriteProtectionResendsTheSamePointAfterTheButton) {
    Known t("rev6");
    t.b.state.calibration.codePoints = {{1000, 1.0f, 0}, {2000, 2.0f, 0}};
    // Locked until the engineer presses the button, while the question is on the screen.
    auto original = t.b.device().commands()[115];
    auto refused = std::make_shared<bool>(false);
    t.b.device().commands()[115] = [original, refused](sim::SimDevice& d, const sim::HartRequest& q) {
        if (*refused) return original(d, q);
        *refused = true;
        return HartReply{16, {}};
    };
    auto seen = t.record(115);
    t.b.ui.answerMessages({MessageAnswer::Yes});
    WriteCodePoints(t.b.state, t.b.state.calibration);
    ASSERT_GE(t.b.ui.messages.size(), 1u);
    EXPECT_EQ(t.b.ui.messages[0].text,
              "Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе "
              "датчика. Повторить попытку ?");
    EXPECT_EQ(t.b.ui.messages[0].icon, MessageIcon::Error);
    ASSERT_EQ(seen->size(), 3u);
    EXPECT_EQ((*seen)[0], (*seen)[1]);
    EXPECT_EQ(t.b.ui.messages.back().text, "Калибровка OK!");
}

TEST(WriteCodePoints, DeviceRefusals) {
    struct Case {
        std::uint8_t code;
        std::vector<MessageAnswer> answers;
        std::vector<std::string> messages;
    } cases[] = {
        {24, {}, {"Ошибка записи во flash-память!", "Не удалось записать калибровку!"}},
        {5, {}, {"Неизвестная ошибка устройства!", "Не удалось записать калибровку!"}},
        {7,
         {MessageAnswer::No},
         {"Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе датчика. "
          "Повторить попытку ?",
          "Не удалось записать калибровку!"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.code));
        Known t("rev6");
        t.b.state.calibration.codePoints = {{1000, 1.0f, 0}, {2000, 2.0f, 0}};
        testing::ReplyWith(t.b, 115, {HartReply{c.code, {}}});
        for (auto a : c.answers) t.b.ui.answerMessages({a});
        WriteCodePoints(t.b.state, t.b.state.calibration);
        EXPECT_EQ(t.b.ui.messageTexts(), c.messages);
        EXPECT_FALSE(t.b.ui.progressOpen);
    }
}

TEST(WriteCodePoints, AbortAsksWhetherToCancelTheWrite) {
    Known t("rev6");
    t.b.state.calibration.codePoints = {{1000, 1.0f, 0}, {2000, 2.0f, 0}};
    testing::NeverAnswer(t.b, 115);
    testing::EscDuring(t.b, "Запись точки 1");
    t.b.ui.answerMessages({MessageAnswer::Yes});
    WriteCodePoints(t.b.state, t.b.state.calibration);
    // The point went out and its answer never came: the device may hold it.
    EXPECT_EQ(t.b.ui.messageTexts(),
              (std::vector<std::string>{"Отменить запись калибровки?",
                                        std::string("Не удалось записать калибровку!\n") + kUnknownEffectText}));
    EXPECT_EQ(t.b.ui.messages[0].icon, MessageIcon::Warning);
    EXPECT_FALSE(t.b.ui.progressOpen);
}

TEST(WriteSegments, SendsTheWholeTableLeastSignificantByteFirst) {
    Known t("rev4");
    auto& table = t.b.state.calibration.segmentTable;
    for (int i = 0; i < 7; ++i) table.push_back({std::uint32_t(0x010203 + i), float(i), 0.25f});
    auto seen = t.record(115);
    WriteSegments(t.b.state, t.b.state.calibration, false);
    ASSERT_EQ(seen->size(), 7u);
    EXPECT_EQ((*seen)[0], Cat({{0, 0x03, 0x02, 0x01}, Le(0.0f), Le(0.25f)}));
    EXPECT_EQ((*seen)[6][0], 6);
    // Revision 4 confirms through command 192, group 3.
    EXPECT_EQ(t.b.ui.messages.back().text, "Данные были успешно отправлены и приняты к исполнению!");
}

TEST(WriteSegments, AlignedDeviceKindMovesTheStartToAMultipleOf256) {
    auto profile = sim::Preset("rev3");
    profile.longAddress = {0x23, 0x02, 0x00, 0x08, 0x01};
    profile.softwareRevision = 0;
    Known t(std::move(profile));
    auto& table = t.b.state.calibration.segmentTable;
    table.assign(7, {640, 10.0f, 0.5f});
    table[1] = {0x1050, 20.0f, 0.5f};  // low byte 0x50 < 128: moves down by 0x50
    auto seen = t.record(115);
    WriteSegments(t.b.state, t.b.state.calibration, false);
    ASSERT_EQ(seen->size(), 7u);
    EXPECT_EQ((*seen)[0], Cat({{0, 0x00, 0x03, 0x00}, Le(10.0f + 64.0f), Le(0.5f)}));  // 640 -> 768
    EXPECT_EQ((*seen)[1], Cat({{1, 0x00, 0x10, 0x00}, Le(20.0f - 40.0f), Le(0.5f)}));
    // The calibration in memory is not touched.
    EXPECT_EQ(table[0].startCode, 640u);
}

TEST(WriteSegments, ShortTableIsRefusedBeforeAnythingIsSent) {
    Known t("rev4");
    t.b.state.calibration.segmentTable.assign(3, {0, 0.0f, 1.0f});
    auto seen = t.record(115);
    WriteSegments(t.b.state, t.b.state.calibration, false);
    EXPECT_TRUE(seen->empty());
    EXPECT_EQ(t.b.ui.messageTexts(),
              (std::vector<std::string>{"Калибровка не подходит для этого датчика: нужно 7 отрезков, а в ней 3. "
                                        "Калибровка не записана!"}));
}

TEST(WriteSegments, ExtraPointBlockOfTheHardware1Kind) {
    constexpr const char* kAccepted = "Данные были успешно отправлены и приняты к исполнению!";
    struct Case {
        bool fromLastPoint;
        Bytes record;
        std::vector<std::string> messages;
    } cases[] = {
        // Read back or loaded: no extra point, and the device's own is cleared only when the engineer agrees.
        {false,
         {0, 0, 0, 0, 0, 0, 0},
         {"В датчике есть добавочная точка (Код: 61000 Тем-ра : 260.5), а в калибровке её нет. Запись калибровки "
          "сотрёт её. Продолжить?",
          kAccepted}},
        {true, Cat({{0x34, 0x12}, Le(150.0f), {Xor(Cat({{0x34, 0x12}, Le(150.0f)}))}}), {kAccepted}},
    };
    for (const auto& c : cases) {
        Known t("rev3-hw1");
        t.b.state.calibration.segmentTable.assign(7, {0, 0.0f, 1.0f});
        t.b.state.calibration.codePoints = {{0, 0.0f, 0}, {0x10001234, 150.0f, 0}};
        auto seen = t.record(190);
        t.b.ui.answerMessages({MessageAnswer::Yes});
        WriteSegments(t.b.state, t.b.state.calibration, c.fromLastPoint);
        ASSERT_EQ(seen->size(), 1u);
        EXPECT_EQ((*seen)[0], Cat({{111, 0}, c.record}));
        EXPECT_EQ(t.b.ui.messageTexts(), c.messages);
    }
}

TemperaturePair Pair(float reading, float value) { return {value, reading}; }

TEST(WriteTemperaturePairs, EightInOneRequestNineAsHeaderAndPoints) {
    {
        Known t("rev14");  // 8 points
        for (int i = 0; i < 8; ++i) t.b.state.calibration.temperaturePairs.push_back(Pair(i * 10.5f, i * 10.0f));
        t.b.state.calibration.calibrationEnabled = 1;
        auto seen = t.record(182);
        WriteTemperaturePairs(t.b.state, t.b.state.calibration);
        ASSERT_EQ(seen->size(), 1u);
        const Bytes& d = (*seen)[0];
        ASSERT_EQ(d.size(), 76u);  // byte count 9 * 8 + 4
        EXPECT_EQ(Bytes(d.begin(), d.begin() + 4), (Bytes{0, 1, 8, 0x4D ^ 1 ^ 8}));
        EXPECT_EQ(Bytes(d.begin() + 13, d.begin() + 22),
                  Cat({Le(10.5f), Le(10.0f), {Xor(Cat({Le(10.5f), Le(10.0f)}))}}));
        EXPECT_EQ(t.b.device().profile().calibration.pairs[0].pairs.size(), 8u);
        // One request: the correction is reset, the calibration is not re-checked, and the write says it went through.
        EXPECT_EQ(t.b.ui.messageTexts(), (std::vector<std::string>{"Калибровка OK!"}));
    }
    {
        Known t("rev14-d1");  // 25 points
        for (int i = 0; i < 9; ++i) t.b.state.calibration.temperaturePairs.push_back(Pair(i * 1.0f, i * 2.0f));
        auto seen = t.record(182);
        WriteTemperaturePairs(t.b.state, t.b.state.calibration);
        ASSERT_EQ(seen->size(), 10u);
        EXPECT_EQ((*seen)[0], (Bytes{1, 0, 9, 0x4D ^ 9}));
        EXPECT_EQ((*seen)[9], Cat({{2, 8}, Le(8.0f), Le(16.0f), {Xor(Cat({Le(8.0f), Le(16.0f)}))}}));
        EXPECT_EQ(t.b.ui.messageTexts(), (std::vector<std::string>{"Калибровка OK!"}));
    }
}

TEST(WriteTemperaturePairs, SensorIdGuards) {
    const std::array<std::uint8_t, 8> other{9, 9, 9, 9, 9, 9, 9, 9};
    struct Case {
        bool calibrationHasId;
        bool sameId;
        const char* message;
    } cases[] = {
        {false, false,
         "Попытка записать в датчик с ID= 01h 02h 03h 04h 05h 06h 07h 08h калибровку от другого датчика без ID!"},
        {true, false,
         "Несовпадение серийных номеров сенсора! Попытка записать в датчик с ID= 01h 02h 03h 04h 05h 06h 07h 08h "
         "калибровку от датчика с ID 09h 09h 09h 09h 09h 09h 09h 09h!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Known t("rev16");
        t.b.state.identity.selectedChannel = 1;
        t.b.device().profile().sensorId = std::array<std::uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 8};
        t.b.ui.onDialog<MeasuringChannelDialog>([](MeasuringChannelDialog& d) { return d.channel = 1, true; });
        t.b.state.calibration.temperaturePairs = {Pair(1, 1), Pair(2, 2)};
        t.b.state.calibration.calibrationHasSensorId = c.calibrationHasId;
        t.b.state.calibration.calibrationSensorId = other;
        auto seen = t.record(82);
        WriteTemperaturePairs(t.b.state, t.b.state.calibration);
        EXPECT_TRUE(seen->empty());
        // The fresh sensor-id read shows the connected id, then the guard refuses.
        ASSERT_EQ(t.b.ui.messages.size(), 2u);
        EXPECT_EQ(t.b.ui.messages[1].text, c.message);
        EXPECT_EQ(t.b.ui.messages[1].icon, MessageIcon::Error);
    }
    {
        Known t("rev14");  // no sensor id on this device
        t.b.state.calibration.temperaturePairs = {Pair(1, 1), Pair(2, 2)};
        t.b.state.calibration.calibrationHasSensorId = true;
        WriteTemperaturePairs(t.b.state, t.b.state.calibration);
        EXPECT_EQ(t.b.ui.messageTexts(),
                  (std::vector<std::string>{"Попытка записать в датчик без сенсора с идентификатором калибровку от "
                                            "датчика с сенсором с идентификатором!"}));
    }
}

TEST(WriteTemperaturePairs, CapacityAndAnswerQuestions) {
    {
        Known t("rev14");
        for (int i = 0; i < 9; ++i) t.b.state.calibration.temperaturePairs.push_back(Pair(float(i), float(i)));
        WriteTemperaturePairs(t.b.state, t.b.state.calibration);
        EXPECT_EQ(t.b.ui.messageTexts(),
                  (std::vector<std::string>{"Максимальное количество точек калибровки в датчике 8, а данная "
                                            "калибровка содержит 9 точек!"}));
    }
    {
        Known t("rev14");
        t.b.state.calibration.temperaturePairs = {Pair(1, 1), Pair(2, 2)};
        testing::ReplyWith(t.b, 182, {HartReply{7, {}}, HartReply{0, {1}}, HartReply{3, {}}});
        t.b.ui.answerMessages({MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::No});
        WriteTemperaturePairs(t.b.state, t.b.state.calibration);
        EXPECT_EQ(
            t.b.ui.messageTexts(),
            (std::vector<std::string>{"Запись запрещена. Возможно, нужно нажать кнопку на корпусе датчика. Повторить?",
                                      "Получена неправильная длина ответа. Повторить попытку?",
                                      "Произошла ошибка при записи. Повторить?", "Не удалось записать калибровку!"}));
    }
}

TEST(WriteTemperaturePairs, SensorIdWrittenAfterThePoints) {
    Known t("rev16");
    const std::array<std::uint8_t, 8> id{'a', 'b', 'c', 0, 0, 0, 0, 0};
    t.b.device().profile().sensorId = id;
    t.b.ui.onDialog<MeasuringChannelDialog>([](MeasuringChannelDialog& d) { return d.channel = 1, true; });
    for (int i = 0; i < 5; ++i) t.b.state.calibration.temperaturePairs.push_back(Pair(i * 3.0f, i * 1.0f));
    t.b.state.calibration.calibrationHasSensorId = true;
    t.b.state.calibration.calibrationSensorId = id;
    auto seen = t.record(82);
    WriteTemperaturePairs(t.b.state, t.b.state.calibration);
    ASSERT_EQ(seen->size(), 2u);
    EXPECT_EQ((*seen)[0].size(), 9u * 5 + 4);
    const std::uint8_t abc[3] = {'a', 'b', 'c'};
    EXPECT_EQ(IdCrc8(abc, 3), 0xA9);
    EXPECT_EQ((*seen)[1], Cat({{3}, Bytes(id.begin(), id.end()), {IdCrc8(id.data(), 8)}}));
    const auto& stored = t.b.device().profile().calibration.pairs[1];
    ASSERT_TRUE(stored.sensorId.has_value());
    EXPECT_EQ(*stored.sensorId, id);
    ASSERT_EQ(stored.pairs.size(), 5u);
    EXPECT_EQ(stored.pairs[4].value, 4.0f);
    EXPECT_EQ(stored.pairs[4].sensorReading, 12.0f);
}

TEST(ResetValueCorrection, FailureNamesTheSettingAndStopsTheSecondWrite) {
    Known t("rev16");
    t.b.state.identity.selectedChannel = 1;  // the I2C channel keeps its correction in 34 and 35
    testing::ReplyWith(t.b, 177, {HartReply{3, {}}});
    std::uint8_t failed = 0;
    const Outcome o = ResetValueCorrectionOp(t.b.state, NeverRepeat, &failed);
    EXPECT_EQ(o.kind, OutcomeKind::Refused);
    EXPECT_EQ(o.responseCode, 3);
    EXPECT_EQ(failed, 34);
    EXPECT_TRUE(t.b.ui.messageTexts().empty());
    Known ok("rev16");
    ok.b.state.identity.selectedChannel = 1;
    auto writes = ok.record(177);
    EXPECT_TRUE(ResetValueCorrectionOp(ok.b.state, NeverRepeat).done());
    ASSERT_EQ(writes->size(), 2u);
    EXPECT_EQ((*writes)[0], (Bytes{34, 0, 0, 0, 0}));
    EXPECT_EQ((*writes)[1], (Bytes{35, 0x3F, 0x80, 0, 0}));
    Known none("rev7");  // no correction on this device
    auto noWrites = none.record(177);
    EXPECT_TRUE(ResetValueCorrectionOp(none.b.state, NeverRepeat).done());
    EXPECT_TRUE(noWrites->empty());
}

TEST(CheckCalibrationValid, AnswersOfSetting23) {
    Known t("rev6");
    t.b.device().profile().settings.erase(23);
    EXPECT_EQ(CheckCalibrationValidity(t.b.state).kind, OutcomeKind::Refused);
    t.b.device().profile().settings[23] = 0;
    EXPECT_TRUE(CheckCalibrationValidity(t.b.state).done());
    EXPECT_EQ(t.b.ui.progressTexts.at(1), "Переопрос калибровки : Попытка 1");
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST(EditCalibrationPoint, AcceptedPointReplacesTheOldOneCancelledEditRestoresTheList) {
    struct Case {
        int result;
        bool accepted;
        std::vector<std::uint32_t> codes;
    } cases[] = {
        {CalibrationPointDialog::kOk, true, {1000, 2500, 3000}},
        {CalibrationPointDialog::kContinue, false, {1000, 2000, 3000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        Known t("rev6");
        t.b.state.calibration.codePoints = {{1000, 1.0f, 0}, {2000, 2.0f, 0}, {3000, 3.0f, 0}};
        std::string shownCode, shownValue;
        t.b.ui.onDialog<CalibrationPointDialog>([&](CalibrationPointDialog& d) {
            shownCode = d.adText;
            shownValue = d.valueText;
            EXPECT_TRUE(d.editMode);
            d.adText = "2500";
            d.valueText = "2,5";
            d.result = c.result;
            return true;
        });
        EXPECT_EQ(EditCalibrationPoint(t.b.state, t.b.state.calibration, 1), c.accepted);
        EXPECT_EQ(shownCode, "2000");
        EXPECT_EQ(shownValue, "2.000000");
        std::vector<std::uint32_t> codes;
        for (const auto& p : t.b.state.calibration.codePoints) codes.push_back(p.code);
        EXPECT_EQ(codes, c.codes);
    }
    Known t("rev6");
    EXPECT_FALSE(EditCalibrationPoint(t.b.state, t.b.state.calibration, 0));  // nothing selected in an empty list
    EXPECT_TRUE(t.b.ui.dialogsShown.empty());
}

}  // namespace
}  // namespace quillon
