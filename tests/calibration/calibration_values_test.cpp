#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <random>

#include "calibration/calibration_file.h"
#include "calibration/calibration_point_entry.h"
#include "calibration/calibration_read.h"
#include "calibration/calibration_view.h"
#include "calibration/calibration_write.h"
#include "calibration/finite_values.h"
#include "device/device_test_support.h"
#include "device/identification.h"
#include "device/measuring_channel.h"
#include "link/link_test_support.h"
#include "support/request_capture.h"

namespace quillon {
namespace {

using testing::Bytes;
using testing::SimBench;
using testing::TempFolder;

constexpr float kMax = std::numeric_limits<float>::max();
constexpr float kNormal = std::numeric_limits<float>::min();
constexpr float kSubnormal = std::numeric_limits<float>::denorm_min();
constexpr const char* kFileError = "Ошибка вычитывания калибровки из данного файла!";

std::uint32_t Bits(float f) { return std::bit_cast<std::uint32_t>(f); }

void WriteFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A simulated device taken as identified, with its calibration form.
struct CalBench : SimBench {
    explicit CalBench(const char* preset) : SimBench(preset) {
        EXPECT_TRUE(ensureIdentified(state));
        for (int i = 0; i < 2; ++i)
            ui.onDialog<MeasuringChannelDialog>([](MeasuringChannelDialog& d) {
                d.channel = 0;
                return true;
            });
        ui.clearRecord();
    }
    void chooseFile(const std::string& path) {
        ui.onDialog<CalibrationFileDialog>([path](CalibrationFileDialog& d) {
            d.fileName = path;
            return true;
        });
    }
};

std::string OutOfRange(const std::string& typed) {
    return "«" + typed + "» вне допустимого диапазона: число должно быть не больше 3.402823E+38 по модулю.";
}

// A point typed too large for a single is refused at entry, in either form,
// and the list stays as it was.
TEST(CalibrationValues, PointTooLargeForASingleIsRefusedAtEntry) {
    const struct {
        const char* preset;
        const char* reading;
        const char* value;
        std::vector<std::string> messages;
    } cases[] = {
        {"rev6", "5000", "1e39", {"Введены неправильные цифры!", OutOfRange("1e39")}},
        {"rev6", "5000", "-3,5e38", {"Введены неправильные цифры!", OutOfRange("-3.5e38")}},
        {"rev14", "1e39", "25", {"Введены неправильные цифры!", OutOfRange("1e39")}},
        {"rev14", "20,5", "1E40", {"Введены неправильные цифры!", OutOfRange("1E40")}},
    };
    for (const auto& c : cases) {
        CalBench b(c.preset);
        auto& set = b.state.calibration;
        set.codePoints.clear();
        set.temperaturePairs.clear();
        b.ui.onDialog<CalibrationPointDialog>([&](CalibrationPointDialog& d) {
            d.adText = c.reading;
            d.valueText = c.value;
            d.result = CalibrationPointDialog::kOk;
            return true;
        });
        b.ui.onDialog<CalibrationPointDialog>([](CalibrationPointDialog& d) {
            d.result = CalibrationPointDialog::kStop;
            return true;
        });
        EXPECT_EQ(EnterCalibrationPoint(b.state, b.state.calibration, "0", "0", false), kPointStop) << c.value;
        EXPECT_EQ(b.ui.messageTexts(), c.messages) << c.preset << " " << c.value;
        EXPECT_TRUE(set.codePoints.empty() && set.temperaturePairs.empty()) << c.value;
    }
}

// A NaN read from a device is shown as it is, but the table holding it is not
// offered for sending, and a press of the disabled button sends nothing: no
// request leaves the tool.
TEST(CalibrationValues, DeviceTableWithANanIsShownButNotSent) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* name;
        std::function<void(sim::CalibrationStore&)> spoil;
    } cases[] = {
        {"NaN value", [&](sim::CalibrationStore& c) { c.pairs[0].pairs.at(2).value = nan; }},
        {"-inf reading", [&](sim::CalibrationStore& c) { c.pairs[0].pairs.at(0).sensorReading = -inf; }},
    };
    for (const auto& c : cases) {
        CalBench b("rev14");
        c.spoil(b.device().profile().calibration);
        std::vector<std::string> firstView;
        bool sendOffered = true;
        b.ui.onDialog<ShowCalibrationDialog>([&](ShowCalibrationDialog& d) {
            firstView = d.lines;
            sendOffered = d.sendEnabled;
            d.result = kViewSend;  // as a form that let the press through would report
            return true;
        });
        b.ui.onDialog<ShowCalibrationDialog>([](ShowCalibrationDialog& d) {
            d.result = kViewExit;
            return true;
        });
        const auto writes = testing::CaptureRequests(b, 182);
        const auto blocks = testing::CaptureRequests(b, 190);
        const auto settings = testing::CaptureRequests(b, 177);
        ReadCalibration(b.state, b.state.calibration);
        EXPECT_TRUE(std::any_of(firstView.begin(), firstView.end(),
                                [](const std::string& l) { return l.find("NAN") != std::string::npos; }))
            << c.name;
        EXPECT_FALSE(sendOffered) << c.name;
        EXPECT_TRUE(b.ui.messageTexts().empty()) << c.name << ": " << ::testing::PrintToString(b.ui.messageTexts());
        EXPECT_TRUE(writes->empty() && blocks->empty() && settings->empty()) << c.name;
    }
}

// The same for tables in memory (from a file): refused before the device is
// even identified.
TEST(CalibrationValues, TableWithANanIsRefusedBeforeAnyRequest) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* name;
        std::function<void(CalibrationSet&)> fill;
        std::function<void(AppState&)> send;
        const char* entry;
    } cases[] = {
        {"segments", [&](CalibrationSet& c) { c.segmentTable = {{0, 1.0f, 0.5f}, {1000, nan, 0.5f}}; },
         [](AppState& s) { WriteSegments(s, s.calibration, false); }, "отрезок 2"},
        {"extra point", [&](CalibrationSet& c) {
             c.segmentTable = {{0, 1.0f, 0.5f}};
             c.codePoints = {{0, 1.0f, 0.5f}, {1000, -nan, 0.0f}};
         },
         [](AppState& s) { WriteSegments(s, s.calibration, true); }, "точка 2"},
        {"code points", [&](CalibrationSet& c) { c.codePoints = {{0, 1.0f, 0}, {10, 2.0f, 0}, {20, nan, 0}}; },
         [](AppState& s) { WriteCodePoints(s, s.calibration); }, "точка 3"},
        {"pairs", [&](CalibrationSet& c) { c.temperaturePairs = {{nan, 1.0f}, {2.0f, 2.0f}}; },
         [](AppState& s) { WriteTemperaturePairs(s, s.calibration); },
         "точка 1"},
    };
    for (const auto& c : cases) {
        SimBench b("rev14", false);
        c.fill(b.state.calibration);
        c.send(b.state);
        EXPECT_EQ(b.ui.messageTexts(),
                  std::vector<std::string>{"В калибровке есть значение, которое не является числом (NAN): " +
                                           std::string(c.entry) + ". Такую калибровку нельзя переслать в датчик!"})
            << c.name;
        EXPECT_EQ(b.device().answered, 0u) << c.name;
    }
    // Integer codes in the reading column are not singles: a code whose bits
    // spell a NaN does not stop the send.
    CalibrationSet codes;
    codes.readingsAreCodes = true;
    codes.temperaturePairs = {{1.0f, std::bit_cast<float>(0x7FC00000u)}};
    EXPECT_EQ(FirstNonFinitePair(codes.temperaturePairs, true), 0u);
    EXPECT_EQ(FirstNonFinitePair(codes.temperaturePairs, false), 1u);
}

// Whatever a save writes loads back bit for bit, the extremes of a single
// included; the old writer's text of the largest single loads too.
TEST(CalibrationValues, ExtremeSinglesSurviveSaveAndLoad) {
    TempFolder dir;
    const std::vector<float> values = {-kMax, -1.5f, -kSubnormal, -0.0f, kSubnormal, kNormal, 0.1f, kMax};
    const struct {
        const char* preset;
        int kind;
    } cases[] = {{"rev6", kFileIniCodePoints}, {"rev14", kFileIniFloatPairs}};
    for (const auto& c : cases) {
        const std::string path = dir.file(std::string(c.preset) + ".clb");
        CalBench b(c.preset);
        auto& set = b.state.calibration;
        set.clearLists();
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (c.kind == kFileIniCodePoints)
                set.codePoints.push_back({static_cast<std::uint32_t>(1000 * i), values[i], 0.0f});
            else
                set.temperaturePairs.push_back({values[i], values[values.size() - 1 - i]});
        }
        b.chooseFile(path);
        ASSERT_TRUE(SaveCalibrationFile(b.state, b.state.calibration, "")) << c.preset;
        b.chooseFile(path);
        ASSERT_TRUE(LoadCalibrationFile(b.state, b.state.calibration)) << c.preset << "\n" << ReadFile(path);
        EXPECT_TRUE(b.ui.messageTexts().empty()) << c.preset;
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (c.kind == kFileIniCodePoints) {
                ASSERT_EQ(set.codePoints.size(), values.size());
                EXPECT_EQ(Bits(set.codePoints[i].value), Bits(values[i])) << i;
            } else {
                ASSERT_EQ(set.temperaturePairs.size(), values.size());
                EXPECT_EQ(Bits(set.temperaturePairs[i].value), Bits(values[i])) << i;
                EXPECT_EQ(Bits(set.temperaturePairs[i].sensorReading), Bits(values[values.size() - 1 - i])) << i;
            }
        }
    }
    // What the earlier writer made of ±FLT_MAX.
    const std::string old = dir.file("old.clb");
    WriteFile(old,
              "[Temperature_Calibration]\r\nT_code0=100\r\nT_value0=-3.40282346638529E+38\r\nT_code1=200\r\n"
              "T_value1=3,40282346638529E+38\r\n");
    CalBench b("rev6");
    b.chooseFile(old);
    ASSERT_TRUE(LoadCalibrationFile(b.state, b.state.calibration));
    EXPECT_EQ(b.state.calibration.codePoints.at(0).value, -kMax);
    EXPECT_EQ(b.state.calibration.codePoints.at(1).value, kMax);
}

// Random singles of every exponent: the text written reads back to the same bits.
TEST(CalibrationValues, RandomSinglesSurviveSaveAndLoad) {
    TempFolder dir;
    const std::string path = dir.file("random.clb");
    std::mt19937 random(18);
    CalBench b("rev14");
    for (int round = 0; round < 20; ++round) {
        auto& set = b.state.calibration;
        set.clearLists();
        std::vector<float> values;
        while (values.size() < 8) {
            const float f = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
            if (std::isfinite(f) && std::find(values.begin(), values.end(), f) == values.end()) values.push_back(f);
        }
        std::sort(values.begin(), values.end());
        for (float v : values) {
            float reading = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
            if (!std::isfinite(reading)) reading = v;
            set.temperaturePairs.push_back({v, reading});
        }
        const auto saved = set.temperaturePairs;
        std::filesystem::remove(path);
        b.chooseFile(path);
        ASSERT_TRUE(SaveCalibrationFile(b.state, b.state.calibration, ""));
        b.chooseFile(path);
        ASSERT_TRUE(LoadCalibrationFile(b.state, b.state.calibration)) << ReadFile(path);
        ASSERT_EQ(set.temperaturePairs.size(), saved.size());
        for (std::size_t i = 0; i < saved.size(); ++i) {
            EXPECT_EQ(Bits(set.temperaturePairs[i].value), Bits(saved[i].value)) << ReadFile(path);
            EXPECT_EQ(Bits(set.temperaturePairs[i].sensorReading), Bits(saved[i].sensorReading)) << ReadFile(path);
        }
    }
}

// A point key that is present but unreadable spoils the file; only a missing
// key ends the list.
TEST(CalibrationValues, UnreadableOrMissingPointKeyIsAnError) {
    TempFolder dir;
    const std::string pairs = "[Type_Calibr]\r\nVer=1\r\n[Temperature_Calibration]\r\n";
    const std::string codes = "[Temperature_Calibration]\r\n";
    const struct {
        const char* name;
        const char* preset;
        std::string text;
        bool loaded;
        std::size_t points;
    } cases[] = {
        {"NAN reading", "rev14",
         pairs + "T_code0=1\r\nT_value0=1\r\nT_code1=2\r\nT_value1=2\r\nT_code2=NAN\r\nT_value2=3\r\n"
                 "T_code3=4\r\nT_value3=4\r\n",
         false, 0},
        {"empty reading", "rev14", pairs + "T_code0=1\r\nT_value0=1\r\nT_code1=2\r\nT_value1=2\r\nT_code2=\r\n",
         false, 0},
        {"reading beyond a single", "rev14",
         pairs + "T_code0=1\r\nT_value0=1\r\nT_code1=3.5E+38\r\nT_value1=2\r\n", false, 0},
        {"unreadable code", "rev6",
         codes + "T_code0=100\r\nT_value0=1\r\nT_code1=200\r\nT_value1=2\r\nT_code2=abc\r\nT_value2=3\r\n", false,
         0},
        {"unreadable integer code pair", "rev14",
         "[Type_Calibr]\r\nVer=2\r\n[Temperature_Calibration]\r\nT_code0=100\r\nT_value0=1\r\nT_code1=x\r\n"
         "T_value1=2\r\n",
         false, 0},
        // Only the end of the list may end it: points after a gap would be lost without a word.
        {"gap before more points", "rev14",
         pairs + "T_code0=1\r\nT_value0=1\r\nT_code1=2\r\nT_value1=2\r\nT_code3=4\r\nT_value3=4\r\n", false, 0},
    };
    for (const auto& c : cases) {
        const std::string path = dir.file(std::string(c.name) + ".clb");
        WriteFile(path, c.text);
        CalBench b(c.preset);
        b.chooseFile(path);
        EXPECT_EQ(LoadCalibrationFile(b.state, b.state.calibration), c.loaded) << c.name;
        EXPECT_EQ(b.ui.messageTexts(), c.loaded ? std::vector<std::string>{} : std::vector<std::string>{kFileError})
            << c.name;
        const auto& set = b.state.calibration;
        EXPECT_EQ(set.codePoints.size() + set.temperaturePairs.size(), c.points) << c.name;
    }
}

// A NaN cannot be written as text that loads back: the save says so and the
// old file stays.
TEST(CalibrationValues, TableWithANanIsNotSavedAsText) {
    TempFolder dir;
    const std::string path = dir.file("keep.clb");
    WriteFile(path, "old");
    CalBench b("rev14");
    auto& set = b.state.calibration;
    set.clearLists();
    set.temperaturePairs = {{1.0f, 1.0f}, {2.0f, std::numeric_limits<float>::quiet_NaN()}, {3.0f, 3.0f}};
    b.chooseFile(path);
    b.ui.answerMessages({MessageAnswer::No});  // do not cancel the overwrite
    EXPECT_FALSE(SaveCalibrationFile(b.state, b.state.calibration, ""));
    EXPECT_EQ(b.ui.messageTexts().back(),
              "В калибровке есть значение, которое не является числом (NAN): точка 2. Такую калибровку нельзя "
              "записать в файл!");
    EXPECT_EQ(ReadFile(path), "old");
}

}  // namespace
}  // namespace quillon
