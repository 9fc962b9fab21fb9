#include <gtest/gtest.h>

#include <bit>

#include "calibration/calibration_point_entry.h"
#include "calibration/calibration_view.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::SimBench;

DeviceIdentity Revision(std::uint8_t s) {
    DeviceIdentity id;
    id.softwareRevision = s;
    return id;
}

// Lines in the fixed columns (20 and 40 characters), written out here with
// their spaces; the filler entries of the segment table are not shown.
TEST(CalibrationViewLines, FixedColumnsOfEachList) {
    CalibrationSet segments;
    segments.segmentTable = {{0, -50.0f, 0.0005f}, {100000, 0.5f, 0.00025f}};
    for (int i = 0; i < 5; ++i) segments.segmentTable.push_back(segments.segmentTable.back());
    segments.extraPoint = {true, 61000, 260.5f};

    CalibrationSet codes;
    codes.codePoints = {{1000, 1.5f, 0.0005f}, {3000, 2.5f, 0.0f}};

    CalibrationSet pairs;
    pairs.temperaturePairs = {{0.0f, 10.5f}, {100.0f, 110.25f}};

    CalibrationSet converterPairs;  // readings that are converter codes do not fit the first column
    converterPairs.temperaturePairs = {{-40.0f, 2000000.0f}};

    const struct {
        const CalibrationSet& set;
        CalibrationList list;
        std::uint8_t software;
        std::vector<std::string> lines;
    } cases[] = {
        {segments,
         CalibrationList::Segments,
         3,
         {"1) Код: 0           Тем-ра : -50         Наклон : 0,00050000",
          "2) Код: 100000      Тем-ра : 0,5         Наклон : 0,00025000", "3) Код: 61000       Тем-ра : 260,5      "}},
        {codes,
         CalibrationList::CodePoints,
         7,
         {"1) Код: 1000        Напряжение : 1,5     Наклон : 0,00050000", "2) Код: 3000        Напряжение : 2,5    "}},
        {pairs,
         CalibrationList::TemperaturePairs,
         14,
         {"01) Tдатч: 10,5000   Тем-ра : 0,000000   Наклон : 1,00250627", "02) Tдатч: 110,2500  Тем-ра : 100,000000"}},
        {converterPairs, CalibrationList::TemperaturePairs, 14, {"01) Tдатч: 2000000,0 Тем-ра : -40,000000"}},
    };
    for (const auto& c : cases) EXPECT_EQ(CalibrationViewLines(c.set, c.list, Revision(c.software), ','), c.lines);

    codes.codePoints[0].value = 20.0f;
    EXPECT_EQ(CalibrationViewLines(codes, CalibrationList::CodePoints, Revision(6), '.')[0],
              "1) Код: 1000        Тем-ра : 20          Наклон : 0.00050000");
}

TEST(CalibrationViewLines, IntegerCodePairsShowTheCodeAndTheChartFollowsTheList) {
    CalibrationSet set;
    set.readingsAreCodes = true;
    set.temperaturePairs = {{-20.0f, std::bit_cast<float>(std::int32_t{1500000})},
                            {80.0f, std::bit_cast<float>(std::int32_t{2500000})}};
    const auto lines = CalibrationViewLines(set, CalibrationList::TemperaturePairs, Revision(255), '.');
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "01) Tдатч: 1500000   Тем-ра : -20.000000 Наклон : 0.00010000");
    const CalibrationChart chart = CalibrationViewChart(set, CalibrationList::TemperaturePairs);
    ASSERT_EQ(chart.points.size(), 2u);
    EXPECT_EQ(chart.points[1], (std::pair<double, double>{80.0, 2500000.0}));
}

// The view loop on its own: buttons, the enabled box and editing a pair.
TEST(ShowCalibration, EditedPairReplacesTheOldOneAndAllowsSaving) {
    SimBench b("rev14");
    b.state.identity.softwareRevision = 14;
    auto& set = b.state.calibration;
    set.temperaturePairs = {{0.0f, 100.0f}, {50.0f, 150.0f}, {100.0f, 200.0f}};
    set.calibrationEnabled = 1;

    std::vector<ShowCalibrationDialog> seen;
    b.ui.onDialog<ShowCalibrationDialog>([&](ShowCalibrationDialog& d) {
        seen.push_back(d);
        d.selected = 1;
        d.result = kViewEdit;
        return true;
    });
    b.ui.onDialog<CalibrationPointDialog>([&](CalibrationPointDialog& d) {
        EXPECT_EQ(d.adText, "150.0");
        EXPECT_EQ(d.valueText, "50.000000");
        EXPECT_TRUE(d.editMode);
        d.adText = "160,5";
        d.valueText = "55";
        d.result = CalibrationPointDialog::kOk;
        return true;
    });
    b.ui.onDialog<ShowCalibrationDialog>([&](ShowCalibrationDialog& d) {
        seen.push_back(d);
        d.enabledBoxChecked = false;
        d.result = kViewSave;
        return true;
    });
    const ViewChoice choice = ShowCalibration(b.state, b.state.calibration, CalibrationList::TemperaturePairs, false, true);
    EXPECT_EQ(choice.action, kViewSave);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[0].saveEnabled);
    EXPECT_TRUE(seen[0].enabledBoxVisible && seen[0].enabledBoxEnabled && seen[0].enabledBoxChecked);
    EXPECT_TRUE(seen[1].saveEnabled);
    ASSERT_EQ(set.temperaturePairs.size(), 3u);
    EXPECT_FLOAT_EQ(set.temperaturePairs[1].value, 55.0f);
    EXPECT_FLOAT_EQ(set.temperaturePairs[1].sensorReading, 160.5f);
    EXPECT_EQ(set.calibrationEnabled, 0);
}

TEST(ShowCalibration, RefusedOrCancelledEditRestoresTheList) {
    SimBench b("rev14");
    b.state.identity.softwareRevision = 14;
    auto& set = b.state.calibration;
    set.temperaturePairs = {{0.0f, 100.0f}, {50.0f, 150.0f}, {100.0f, 200.0f}};
    b.ui.onDialog<ShowCalibrationDialog>([](ShowCalibrationDialog& d) {
        d.selected = 2;
        d.result = kViewEdit;
        return true;
    });
    // The new reading would fold the characteristic: refused, then cancelled.
    b.ui.onDialog<CalibrationPointDialog>([](CalibrationPointDialog& d) {
        d.adText = "120";
        d.valueText = "100";
        d.result = CalibrationPointDialog::kOk;
        return true;
    });
    b.ui.onDialog<CalibrationPointDialog>([](CalibrationPointDialog& d) {
        EXPECT_EQ(d.adText, "120") << "the typed text is kept";
        d.result = CalibrationPointDialog::kContinue;
        return true;
    });
    b.ui.onDialog<ShowCalibrationDialog>([](ShowCalibrationDialog& d) {
        EXPECT_FALSE(d.saveEnabled);
        d.result = kViewSend;  // disabled: not believed
        return true;
    });
    EXPECT_EQ(ShowCalibration(b.state, b.state.calibration, CalibrationList::TemperaturePairs, false, false).action, kViewExit);
    EXPECT_EQ(
        b.ui.messageTexts(),
        std::vector<std::string>{"Большему значению величины должно соответствовать большее значение кода АЦП !"});
    ASSERT_EQ(set.temperaturePairs.size(), 3u);
    EXPECT_FLOAT_EQ(set.temperaturePairs[2].sensorReading, 200.0f);
}

// Point entry rules for code points: range, direction, equal codes, separators.
TEST(EnterCalibrationPoint, CodePointRules) {
    const struct {
        const char* code;
        const char* value;
        std::vector<std::string> messages;
        bool accepted;
    } cases[] = {
        {"16777216", "1", {"Код АЦП должен быть в диапазоне [0-16777215]!"}, false},
        {"16777215", "30,5", {}, true},
        {"2000", "15.5", {}, true},
        {"1000", "15", {"Большему значению величины должно соответствовать большее значение кода АЦП !"}, false},
        {"2000", "25", {"Большему значению величины должно соответствовать большее значение кода АЦП !"}, false},
        {"12x", "1", {"Введены неправильные цифры!", "«12x» не является целым числом."}, false},
        {"5", "abc", {"Введены неправильные цифры!", "«abc» не является числом."}, false},
    };
    for (const auto& c : cases) {
        SimBench b("rev6");
        b.state.identity.softwareRevision = 6;
        b.state.decimalSeparator = '.';
        b.state.calibration.codePoints = {{1000, 10.0f, 0}, {3000, 20.0f, 0}};
        b.ui.onDialog<CalibrationPointDialog>([&](CalibrationPointDialog& d) {
            d.adText = c.code;
            d.valueText = c.value;
            d.result = CalibrationPointDialog::kOk;
            return true;
        });
        b.ui.onDialog<CalibrationPointDialog>([](CalibrationPointDialog& d) {
            d.result = CalibrationPointDialog::kStop;
            return true;
        });
        const int r = EnterCalibrationPoint(b.state, b.state.calibration, "0", "0", false);
        EXPECT_EQ(r, c.accepted ? kPointAccepted : kPointStop) << c.code;
        EXPECT_EQ(b.ui.messageTexts(), c.messages) << c.code;
        EXPECT_EQ(b.state.calibration.codePoints.size(), c.accepted ? 3u : 2u) << c.code;
    }
}

}  // namespace
}  // namespace quillon
