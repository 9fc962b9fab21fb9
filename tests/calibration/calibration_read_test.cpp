#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "calibration/calibration_file.h"
#include "calibration/calibration_read.h"
#include "calibration/calibration_view.h"
#include "device/identification.h"
#include "device/measuring_channel.h"
#include "sim/calibration_examples.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::SimBench;

constexpr const char* kReadFailed = "Не удалось вычитать калибровку!";
constexpr const char* kNoCalibration = "Ошибка! Возможно датчик не содержит калибровки или калибровка повреждена!";
constexpr const char* kWrongCount = "В калибровке содержится ошибочное количество точек!";

// A simulated device, already identified, whose views are recorded.
struct ReadBench : SimBench {
    explicit ReadBench(const char* preset, int channel = 0) : SimBench(preset) {
        EXPECT_TRUE(ensureIdentified(state));
        for (int i = 0; i < 2; ++i)
            ui.onDialog<MeasuringChannelDialog>([channel](MeasuringChannelDialog& d) {
                d.channel = channel;
                return true;
            });
        ui.clearRecord();
    }
    // The next view is recorded (with the calibration in memory at that
    // moment) and left with `action`.
    void view(int action = kViewExit) {
        ui.onDialog<ShowCalibrationDialog>([this, action](ShowCalibrationDialog& d) {
            views.push_back(d);
            inMemory.push_back(state.calibration);
            d.result = action;
            return true;
        });
    }
    bool progressShown(const std::string& text) const {
        return std::find(ui.progressTexts.begin(), ui.progressTexts.end(), text) != ui.progressTexts.end();
    }
    sim::CalibrationStore& store() { return device().profile().calibration; }

    std::vector<ShowCalibrationDialog> views;
    std::vector<CalibrationSet> inMemory;
};

TEST(ReadSegments, EightPointsAreSevenRequests) {
    ReadBench b("rev4");
    b.view();
    ReadCalibration(b.state, b.state.calibration);
    for (int i = 1; i <= 7; ++i) EXPECT_TRUE(b.progressShown("Читаю точку " + std::to_string(i) + ". Попытка 1")) << i;
    EXPECT_FALSE(b.progressShown("Читаю точку 8. Попытка 1"));
    ASSERT_EQ(b.views.size(), 1u);
    ASSERT_EQ(b.views[0].lines.size(), 7u);
    EXPECT_EQ(b.views[0].lines[0], "1) Код: 0           Тем-ра : -50         Наклон : 0.00050000");
    EXPECT_TRUE(b.views[0].saveEnabled);
    EXPECT_FALSE(b.views[0].sendEnabled);
    EXPECT_FALSE(b.views[0].enabledBoxVisible);
    EXPECT_EQ(b.views[0].chart.points.size(), 7u);
    EXPECT_TRUE(b.ui.messageTexts().empty());
    EXPECT_TRUE(b.state.calibration.segmentTable.empty()) << "only a temperature-pair list survives a read";
}

TEST(ReadSegments, ExtraPointShownOrReportedMissing) {
    {
        ReadBench b("rev3-hw1");
        b.view();
        ReadCalibration(b.state, b.state.calibration);
        ASSERT_EQ(b.views.size(), 1u);
        ASSERT_EQ(b.views[0].lines.size(), 8u);
        EXPECT_EQ(b.views[0].lines[7], "8) Код: 61000       Тем-ра : 260.5      ");
        // The chart keeps the extra point off the line.
        EXPECT_EQ(b.views[0].chart.points.size(), 7u);
        EXPECT_EQ(b.views[0].chart.extraPoint, (std::pair<double, double>{61000.0, 260.5}));
        EXPECT_TRUE(b.progressShown("Узнаю добавочную информацию"));
    }
    ReadBench b("rev3-hw1");
    for (std::uint16_t i = 111; i < 118; ++i) b.device().setBlockByte(i, 0);
    b.view();
    ReadCalibration(b.state, b.state.calibration);
    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"В датчик не была введена добавочная информация!"});
    ASSERT_EQ(b.views.size(), 1u) << "the segments are still shown";
    EXPECT_EQ(b.views[0].lines.size(), 7u);
}

TEST(ReadCodePoints, HighestFirstIsShownLowestFirstWithPositiveSlopes) {
    for (int channel : {0, 1}) {
        ReadBench b("rev9-d11", channel);
        b.view();
        ReadCalibration(b.state, b.state.calibration);
        ASSERT_EQ(b.views.size(), 1u) << channel;
        EXPECT_EQ(b.views[0].lines[0].rfind(channel ? "1) Код: 1300000" : "1) Код: 1200000", 0), 0u) << channel;
        const auto& points = b.inMemory[0].codePoints;
        ASSERT_EQ(points.size(), 15u);
        for (std::size_t i = 0; i + 1 < points.size(); ++i) {
            EXPECT_LT(points[i].code, points[i + 1].code) << i;
            EXPECT_GT(points[i].slope, 0.0f) << i;
        }
        EXPECT_EQ(b.inMemory[0].segmentTable.size(), 14u);
        EXPECT_TRUE(b.progressShown("Читаю точку 15. Попытка 1"));
        EXPECT_TRUE(b.views[0].saveEnabled);
        EXPECT_FALSE(b.views[0].sendEnabled) << "send only after an edit";
    }
}

TEST(ReadCodePoints, TopSlotWithTheLastPointFlagIsNoCalibration) {
    ReadBench b("rev6");
    sim::SetCodePoints(b.store(), 0, {{1000, 1.0f}}, 8);
    b.view();
    ReadCalibration(b.state, b.state.calibration);
    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{kReadFailed});
    EXPECT_TRUE(b.views.empty());
    EXPECT_TRUE(b.state.calibration.codePoints.empty());
}

// A device without a calibration, in each form.
TEST(ReadCalibration, DevicesWithoutCalibration) {
    const struct {
        const char* preset;
        std::vector<std::string> messages;
    } cases[] = {
        {"rev4",
         {"Ошибка устройства! Либо устройство не откалибровано либо ошибка работы с flash-памятью!", kReadFailed}},
        {"rev6", {kNoCalibration, kReadFailed}},
        {"rev14", {kNoCalibration}},
        {"rev14-d1", {kReadFailed}},
    };
    for (const auto& c : cases) {
        ReadBench b(c.preset);
        sim::ClearCalibration(b.device().profile());
        b.view();
        ReadCalibration(b.state, b.state.calibration);
        EXPECT_EQ(b.ui.messageTexts(), c.messages) << c.preset;
        EXPECT_TRUE(b.views.empty()) << c.preset;
    }
}

TEST(ReadTemperaturePairs, SingleRequestUpToEightPointsHeaderAndPointsAbove) {
    {
        ReadBench b("rev14");
        b.view();
        ReadCalibration(b.state, b.state.calibration);
        EXPECT_TRUE(b.progressShown("Читаю калибровку. Попытка 1"));
        EXPECT_FALSE(b.progressShown("Читаю заголовок. Попытка 1"));
        ASSERT_EQ(b.views.size(), 1u);
        EXPECT_EQ(b.views[0].lines.size(), 8u);
        EXPECT_TRUE(b.views[0].saveEnabled && b.views[0].sendEnabled && b.views[0].enabledBoxVisible);
    }
    ReadBench b("rev14-d1");
    b.view();
    ReadCalibration(b.state, b.state.calibration);
    EXPECT_FALSE(b.progressShown("Читаю калибровку. Попытка 1"));
    EXPECT_TRUE(b.progressShown("Читаю заголовок. Попытка 1"));
    EXPECT_TRUE(b.progressShown("Читаю точку 25. Попытка 1"));
    ASSERT_EQ(b.views.size(), 1u);
    EXPECT_EQ(b.views[0].lines.size(), 25u);
    EXPECT_EQ(b.state.calibration.temperaturePairs.size(), 25u) << "the pair list survives the read";
}

TEST(ReadTemperaturePairs, HeaderCountsOutsideTwoToPointCountAreRefused) {
    const struct {
        const char* preset;
        std::size_t count;
        std::vector<std::string> messages;
    } cases[] = {
        {"rev14-d1", 1, {kWrongCount, kReadFailed}},
        {"rev14-d1", 26, {kWrongCount, kReadFailed}},
        {"rev14", 1, {kWrongCount}},
        {"rev14", 9, {kWrongCount}},
    };
    for (const auto& c : cases) {
        ReadBench b(c.preset);
        auto& pairs = b.store().pairs[0].pairs;
        pairs.resize(c.count, pairs.empty() ? sim::SimTemperaturePair{} : pairs.back());
        b.view();
        ReadCalibration(b.state, b.state.calibration);
        EXPECT_EQ(b.ui.messageTexts(), c.messages) << c.preset << " " << c.count;
        EXPECT_TRUE(b.views.empty());
    }
}

TEST(ReadTemperaturePairs, SensorIdOfTheCalibrationIsCheckedAgainstTheSensor) {
    {
        ReadBench b("rev16", 1);
        b.view();
        ReadCalibration(b.state, b.state.calibration);
        EXPECT_TRUE(b.progressShown("Читаю ID калибровки. Попытка 1"));
        EXPECT_TRUE(b.state.calibration.calibrationHasSensorId);
        EXPECT_EQ(b.views.size(), 1u);
        EXPECT_EQ(b.ui.messageTexts(),
                  std::vector<std::string>{"ID сенсора подключенного датчика = 28h FFh 4Ch 19h 63h 16h 03h 5Ah"});
    }
    ReadBench b("rev16", 1);
    b.store().pairs[1].sensorId = std::array<std::uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 0xAB};
    b.view();
    ReadCalibration(b.state, b.state.calibration);
    ASSERT_EQ(b.ui.messages.size(), 2u);
    EXPECT_EQ(b.ui.messages[1].text,
              "Несовпадение серийных номеров сенсора и серийного номера калибровки! ID датчика= 28h FFh 4Ch 19h 63h "
              "16h 03h 5Ah, а калибровка была сделана для сенсора с ID 01h 02h 03h 04h 05h 06h 07h ABh!");
    EXPECT_EQ(b.ui.messages[1].icon, MessageIcon::Error);
    EXPECT_EQ(b.views.size(), 1u) << "the calibration is shown all the same";
}

// Device -> view -> file -> load gives the device's points back, in each form.
TEST(CalibrationRoundTrip, DeviceViewFileLoad) {
    const std::string dir = (std::filesystem::temp_directory_path() / "quillon-roundtrip").string();
    std::filesystem::create_directories(dir);
    for (const char* preset : {"rev4", "rev6", "rev14"}) {
        ReadBench b(preset);
        const std::string path = dir + "/" + preset + ".clb";
        std::filesystem::remove(path);
        b.view(kViewSave);
        b.ui.onDialog<CalibrationFileDialog>([path](CalibrationFileDialog& d) {
            EXPECT_TRUE(d.save);
            EXPECT_EQ(d.title, "Запись калибровки в файл");
            d.fileName = path;
            return true;
        });
        ReadCalibration(b.state, b.state.calibration);
        ASSERT_TRUE(std::filesystem::exists(path)) << preset;

        b.ui.onDialog<CalibrationFileDialog>([path](CalibrationFileDialog& d) {
            EXPECT_FALSE(d.save);
            EXPECT_EQ(d.title, "Открытие файла с калибровкой");
            d.fileName = path;
            return true;
        });
        ASSERT_TRUE(LoadCalibrationFile(b.state, b.state.calibration)) << preset;
        const CalibrationSet& read = b.inMemory.at(0);
        const CalibrationSet& loaded = b.state.calibration;
        const sim::CalibrationStore& device = b.store();
        if (std::string(preset) == "rev4") {
            ASSERT_EQ(loaded.segmentTable.size(), device.segments.size());
            for (std::size_t i = 0; i < device.segments.size(); ++i) {
                EXPECT_EQ(loaded.segmentTable[i].startCode, device.segments[i].startCode);
                EXPECT_EQ(loaded.segmentTable[i].startValue, device.segments[i].startValue);
                EXPECT_EQ(loaded.segmentTable[i].slope, device.segments[i].slope);
            }
        } else if (std::string(preset) == "rev6") {
            ASSERT_EQ(loaded.codePoints.size(), read.codePoints.size());
            for (std::size_t i = 0; i < read.codePoints.size(); ++i) {
                EXPECT_EQ(loaded.codePoints[i].code, read.codePoints[i].code);
                EXPECT_EQ(loaded.codePoints[i].value, read.codePoints[i].value);
            }
            EXPECT_EQ(loaded.codePoints.back().code, device.codeSlots[0].at(7).code);
        } else {
            ASSERT_EQ(loaded.temperaturePairs.size(), device.pairs[0].pairs.size());
            for (std::size_t i = 0; i < loaded.temperaturePairs.size(); ++i) {
                EXPECT_EQ(loaded.temperaturePairs[i].value, device.pairs[0].pairs[i].value);
                EXPECT_EQ(loaded.temperaturePairs[i].sensorReading, device.pairs[0].pairs[i].sensorReading);
            }
            EXPECT_EQ(loaded.calibrationFileKind, kFileIniFloatPairs);
        }
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quillon
