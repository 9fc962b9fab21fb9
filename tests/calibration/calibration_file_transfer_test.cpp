// What a calibration file carries reaches the device unchanged, or not at all.

#include <gtest/gtest.h>

#include <bit>
#include <fstream>

#include "calibration/calibration_file.h"
#include "calibration/calibration_read.h"
#include "calibration/calibration_view.h"
#include "calibration/calibration_write_op.h"
#include "calibration/calibration_write_report.h"
#include "device/device_test_support.h"
#include "device/variant.h"
#include "link/link_test_support.h"
#include "support/request_capture.h"

namespace quillon {
namespace {

using testing::SimBench;
using testing::TempFolder;

std::unique_ptr<SimBench> KnownDevice(const char* preset) {
    auto b = std::make_unique<SimBench>(preset);
    auto& id = b->state.identity;
    const auto& p = b->device().profile();
    id.identified = true;
    id.softwareRevision = p.softwareRevision;
    id.deviceRevision = p.deviceRevision;
    id.hardwareRevision = p.hardwareRevision;
    id.calibrationPointCount = derivedCalibrationPointCount(id);
    id.channelConfig = {0, 3, 0, 0};
    return b;
}

bool Load(SimBench& b, const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    b.ui.onDialog<CalibrationFileDialog>([path](CalibrationFileDialog& d) {
        d.fileName = path;
        return true;
    });
    return LoadCalibrationFile(b.state, b.state.calibration);
}

// A file of integer codes, disabled, written to a revision-14 device and read
// back: each code arrives as the single of its value, the flag as it was.
TEST(CodePairFile, WrittenToTheDeviceAndReadBackEqual) {
    TempFolder dir;
    auto b = KnownDevice("rev14");
    const std::int32_t codes[] = {0, 1, 123457, 8388609, 16777215, 16777216, 33554436};
    std::string file = "[Type_Calibr]\r\nVer=2\r\n[Temperature_Calibration]\r\n";
    for (int k = 0; k < 7; ++k)
        file += "T_code" + std::to_string(k) + "=" + std::to_string(codes[k]) + "\r\nT_value" + std::to_string(k) +
                "=" + std::to_string(10 * k - 20) + ".5\r\n";
    file += "ClbEnabled=0\r\n";
    ASSERT_TRUE(Load(*b, dir.file("codes.clb"), file)) << ::testing::PrintToString(b->ui.messageTexts());
    CalibrationSet& cal = b->state.calibration;
    ASSERT_TRUE(cal.readingsAreCodes);
    EXPECT_EQ(cal.calibrationEnabled, 0);
    // The view shows codes as the whole numbers they are.
    const auto lines = CalibrationViewLines(cal, CalibrationList::TemperaturePairs, b->state.identity, '.');
    EXPECT_EQ(lines.at(2).rfind("03) Tдатч: 123457    Тем-ра : 0.500000", 0), 0u) << lines.at(2);

    auto sent = testing::CaptureRequests(*b, 182);
    const CalibrationWriteResult w = WriteCalibrationPairs(b->state, cal, NeverRepeat, {});
    ASSERT_TRUE(w.done()) << w.outcome.reason;
    ASSERT_EQ(sent->size(), 1u);
    // Header [0, enabled 0, 7 points, check], then the first record: 0.0f and -20.5f.
    EXPECT_EQ((*sent)[0][1], 0);
    const auto& stored = b->device().profile().calibration.pairs[0];
    EXPECT_EQ(stored.enabled, 0);
    ASSERT_EQ(stored.pairs.size(), 7u);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(stored.pairs[std::size_t(k)].sensorReading, float(codes[k])) << k;

    CalibrationSet back;
    ASSERT_TRUE(ReadDeviceCalibration(b->state, back).done());
    ASSERT_EQ(back.temperaturePairs.size(), cal.temperaturePairs.size());
    EXPECT_EQ(back.calibrationEnabled, cal.calibrationEnabled);
    for (std::size_t k = 0; k < back.temperaturePairs.size(); ++k) {
        EXPECT_EQ(PairReading(back, back.temperaturePairs[k]), PairReading(cal, cal.temperaturePairs[k])) << k;
        EXPECT_EQ(back.temperaturePairs[k].value, cal.temperaturePairs[k].value) << k;
    }
}

TEST(CodePairFile, ACodeWithoutAnExactSingleIsRefusedBeforeAnyRequest) {
    auto b = KnownDevice("rev14");
    CalibrationSet cal;
    cal.readingsAreCodes = true;
    cal.calibrationEnabled = 1;
    cal.temperaturePairs = {{1.0f, std::bit_cast<float>(std::int32_t{100})},
                            {2.0f, std::bit_cast<float>(std::int32_t{16777217})}};
    auto sent = testing::CaptureRequests(*b, 182);
    auto corrections = testing::CaptureRequests(*b, 177);
    const CalibrationWriteResult w = WriteCalibrationPairs(b->state, cal, NeverRepeat, {});
    EXPECT_EQ(w.outcome.kind, OutcomeKind::InputRefused);
    EXPECT_TRUE(sent->empty());
    EXPECT_TRUE(corrections->empty());
    const Report report = CalibrationWriteReport(w);
    ASSERT_EQ(report.size(), 1u);
    EXPECT_EQ(report[0].text.rfind("Код АЦП 16777217 (точка 2) нельзя передать в датчик без искажения", 0), 0u);
}

// The extra point of a hardware-1 segment device is never cleared without the engineer knowing.
TEST(ExtraPoint, AWriteThatWouldClearItAsksFirst) {
    struct Case {
        const char* name;
        bool deviceHasOne;
        bool calibrationHasOne;
        bool clear;  // the engineer's answer
        bool asked;
        OutcomeKind kind;
        std::uint8_t block[7];  // block 111 after the write
    } cases[] = {
        {"declined", true, false, false, true, OutcomeKind::InputRefused, {0x48, 0xEE, 0x00, 0x40, 0x82, 0x43, 0}},
        {"cleared", true, false, true, true, OutcomeKind::Done, {0, 0, 0, 0, 0, 0, 0}},
        {"none held", false, false, false, false, OutcomeKind::Done, {0, 0, 0, 0, 0, 0, 0}},
        {"kept from the read", true, true, false, false, OutcomeKind::Done, {0x48, 0xEE, 0x00, 0x40, 0x82, 0x43, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto b = KnownDevice("rev3-hw1");
        if (!c.deviceHasOne)
            for (std::uint16_t i = 111; i < 118; ++i) b->device().setBlockByte(i, 0);
        CalibrationSet cal;
        cal.segmentTable.assign(7, {0, 0.0f, 1.0f});
        for (int i = 0; i < 7; ++i) cal.segmentTable[std::size_t(i)].startCode = std::uint32_t(1000 * i);
        if (c.calibrationHasOne) cal.extraPoint = {true, 61000, 260.5f};
        auto points = testing::CaptureRequests(*b, 115);
        auto blocks = testing::CaptureRequests(*b, 190);
        CalibrationWriteQuestions q;
        bool asked = false;
        q.clearExtraPoint = [&](const ExtraPoint& held) {
            asked = true;
            EXPECT_EQ(held.code, 61000);
            EXPECT_EQ(held.value, 260.5f);
            return c.clear;
        };
        const CalibrationWriteResult w = WriteCalibrationSegments(b->state, cal, false, NeverRepeat, q);
        EXPECT_EQ(w.outcome.kind, c.kind);
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(points->size(), c.kind == OutcomeKind::Done ? 7u : 0u);
        EXPECT_EQ(blocks->size(), c.kind == OutcomeKind::Done ? 1u : 0u);
        for (std::uint16_t i = 0; i < 6; ++i)
            EXPECT_EQ(b->device().blockByte(std::uint16_t(111 + i)), c.block[i]) << i;
        if (c.kind != OutcomeKind::Done) {
            const Report report = CalibrationWriteReport(w);
            ASSERT_EQ(report.size(), 1u);
            EXPECT_EQ(report[0].text,
                      "В датчике есть добавочная точка (Код: 61000 Тем-ра : 260.5), а в калибровке её нет. "
                      "Калибровка не записана!");
        }
    }
}

// Only the end of the list may end it.
TEST(IniPointList, AKeyMissingInTheMiddleIsAnError) {
    struct Case {
        const char* name;
        const char* missing;  // key left out of a 12-point file
        bool loads;
        std::size_t points;
    } cases[] = {
        {"whole", "", true, 12},
        {"code in the middle", "T_code5", false, 0},
        {"value in the middle", "T_value5", false, 0},
        {"code of the last", "T_code11", false, 0},  // its value would be left without a point
        {"both of the last", "T_code11 T_value11", true, 11},
    };
    TempFolder dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string missing = c.missing;
        std::string file = "[Type_Calibr]\r\nVer=1\r\n[Temperature_Calibration]\r\n";
        for (int k = 0; k < 12; ++k) {
            const std::string code = "T_code" + std::to_string(k), value = "T_value" + std::to_string(k);
            const auto left = [&missing](const std::string& key) {
                return (" " + missing + " ").find(" " + key + " ") != std::string::npos;
            };
            if (!left(code)) file += code + "=" + std::to_string(k) + ".25\r\n";
            if (!left(value)) file += value + "=" + std::to_string(k * 2) + "\r\n";
        }
        SimBench b("rev16");
        b.state.identity.softwareRevision = 255;  // no device: up to 25 points
        EXPECT_EQ(Load(b, dir.file("gap.clb"), file), c.loads);
        EXPECT_EQ(b.state.calibration.temperaturePairs.size(), c.points);
        const auto texts = b.ui.messageTexts();
        EXPECT_EQ(std::find(texts.begin(), texts.end(), "Ошибка вычитывания калибровки из данного файла!") != texts.end(),
                  !c.loads);
    }
}

}  // namespace
}  // namespace quillon
