#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "calibration/calibration_file.h"
#include "link/link_test_support.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::SimBench;
namespace fs = std::filesystem;

using testing::TempFolder;

void WriteFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A bench whose open and save dialogs answer with `path`.
struct FileBench : SimBench {
    explicit FileBench(const char* preset = "rev6") : SimBench(preset) {}
    void chooseFile(const std::string& path) {
        ui.onDialog<CalibrationFileDialog>([path](CalibrationFileDialog& d) {
            d.fileName = path;
            return true;
        });
    }
    // The device of an identified link with this many points and form.
    void identifyAs(std::uint8_t software, int points, bool extended) {
        state.identity.softwareRevision = software;
        state.identity.calibrationPointCount = points;
        state.identity.extendedCalibration = extended;
    }
};

TEST(SegmentRecords, WorkedExampleAndCheckByte) {
    // 1000 = E8 03 00, 1.0f = 00 00 80 3F, 0.5f = 00 00 00 3F; 4D^E8^03^80^3F^3F = 26.
    const std::string record("\xE8\x03\x00\x00\x00\x80\x3F\x00\x00\x00\x3F\x26", 12);
    EXPECT_EQ(EncodeSegmentRecords({{1000, 1.0f, 0.5f}}), record);
    std::vector<CalibrationSegment> table;
    ASSERT_TRUE(DecodeSegmentRecords(record, table));
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].startCode, 1000u);
    EXPECT_EQ(table[0].slope, 0.5f);
    std::string bad = record;
    bad[11] = 0x27;
    EXPECT_FALSE(DecodeSegmentRecords(bad, table));
    EXPECT_TRUE(table.empty());
}

TEST(LoadCalibrationFile, SevenRecordsGiveEightCodePoints) {
    TempFolder dir;
    std::vector<CalibrationSegment> table;
    for (std::uint32_t i = 0; i < 7; ++i) table.push_back({1000 * i, static_cast<float>(i), 0.5f});
    const std::string path = dir.file("seg.clb");
    WriteFile(path, EncodeSegmentRecords(table));
    ASSERT_EQ(fs::file_size(path), 84u);

    FileBench b;
    b.identifyAs(4, 8, false);
    b.chooseFile(path);
    ASSERT_TRUE(LoadCalibrationFile(b.state, b.state.calibration));
    const auto& points = b.state.calibration.codePoints;
    ASSERT_EQ(points.size(), 8u);
    EXPECT_EQ(points[7].code, 6020u);  // 10 / 0.5 + 6000
    EXPECT_FLOAT_EQ(points[7].value, 16.0f);
    EXPECT_EQ(b.state.calibration.segmentTable.size(), 7u);
    EXPECT_EQ(b.state.calibration.calibrationFileKind, kFileBinarySegments);
    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Данные из файла были успешно считаны!"});
}

// Binary files that must not load, each with its message; nothing is left in memory.
TEST(LoadCalibrationFile, HostileBinaryFiles) {
    TempFolder dir;
    std::vector<CalibrationSegment> seven(7, CalibrationSegment{100, 1.0f, 0.01f});
    std::string firstBad = EncodeSegmentRecords(seven);
    firstBad[11] = static_cast<char>(firstBad[11] ^ 0x01);
    std::string garbage(84, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 37 + 11);
    const std::string good = EncodeSegmentRecords(seven);

    const struct {
        const char* name;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"first-record-check", firstBad, "Ошибка контрольной суммы !"},
        {"garbage", garbage, "Ошибка контрольной суммы !"},
        {"short", good.substr(0, 83), "Произошла ошибка считывания файла!"},
        {"empty", "", "Произошла ошибка считывания файла!"},
        {"longer", good + good.substr(0, 12), "Размер файла не соответствует количеству точек калибровки датчика!"},
    };
    for (const auto& c : cases) {
        const std::string path = dir.file(std::string(c.name) + ".clb");
        WriteFile(path, c.bytes);
        FileBench b;
        b.identifyAs(4, 8, false);
        b.state.calibration.segmentTable = {{1, 2.0f, 3.0f}};
        b.chooseFile(path);
        EXPECT_FALSE(LoadCalibrationFile(b.state, b.state.calibration)) << c.name;
        EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{c.message}) << c.name;
        EXPECT_TRUE(b.state.calibration.segmentTable.empty()) << c.name;
        EXPECT_TRUE(b.state.calibration.codePoints.empty()) << c.name;
    }
}

TEST(LoadCalibrationFile, HugeSparseFileFolderAndMissingFileAreRefusedQuickly) {
    TempFolder dir;
    const std::string huge = dir.file("huge.clb");
    { std::ofstream(huge, std::ios::binary).put('x'); }
    fs::resize_file(huge, std::uintmax_t{1} << 30);  // sparse: no disk is used
    for (bool device : {true, false}) {
        FileBench b;
        if (device) b.identifyAs(4, 8, false);
        b.chooseFile(huge);
        EXPECT_FALSE(LoadCalibrationFile(b.state, b.state.calibration));
        ASSERT_EQ(b.ui.messages.size(), 1u);
        EXPECT_EQ(b.ui.messages[0].icon, MessageIcon::Error);
        EXPECT_NE(b.ui.messages[0].text.find("Размер файла не соответствует"), std::string::npos);
    }
    FileBench b;
    b.identifyAs(4, 8, false);
    b.chooseFile(dir.path());
    EXPECT_FALSE(LoadCalibrationFile(b.state, b.state.calibration));
    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Не могу открыть файл " + dir.path() + " !"});
}

// INI files: kinds, missing values, the enable flag, point limits, separators.
TEST(LoadCalibrationFile, IniFiles) {
    TempFolder dir;
    const auto points = [](int count) {
        std::string text = "[Temperature_Calibration]\r\n";
        for (int k = 0; k < count; ++k)
            text += "T_code" + std::to_string(k) + "=" + std::to_string(1000 + 100 * k) + "\r\nT_value" +
                    std::to_string(k) + "=" + std::to_string(k) + "\r\n";
        return text;
    };
    const std::string tooManyForEight =
        "Максимальное количество точек калибровки в датчике 8, а данная калибровка содержит 12 точек!";
    const std::string beyondAnyDevice =
        "В файле больше 25 точек калибровки: столько не хранит ни один датчик. Калибровка не загружена!";
    const struct {
        const char* name;
        std::string text;
        bool device;
        bool loaded;
        std::size_t points;
        std::uint8_t enabled;
        std::vector<std::string> messages;
    } cases[] = {
        {"missing-value",
         "[Temperature_Calibration]\r\nT_code0=100\r\nT_value0=1\r\nT_code1=200\r\nT_value1=2\r\nT_code2=300\r\n",
         true,
         false,
         0,
         0,
         {"Ошибка вычитывания калибровки из данного файла!"}},
        {"no-enable-flag",
         "[Temperature_Calibration]\nT_code0=100\nT_value0=1\nT_code1=200\nT_value1=2\n",
         true,
         true,
         2,
         1,
         {}},
        {"disabled",
         "[Temperature_Calibration]\nClbEnabled=0\nT_code0=100\nT_value0=1\nT_code1=200\nT_value1=2\n",
         true,
         true,
         2,
         0,
         {}},
        {"one-point",
         "[Temperature_Calibration]\nT_code0=100\nT_value0=1\n",
         true,
         false,
         0,
         0,
         {"В файле меньше двух точек калибровки!"}},
        {"keys-out-of-order",
         "[Temperature_Calibration]\nT_value1=2\nT_code1=200\nT_value0=1\nT_code0=100\n",
         true,
         true,
         2,
         1,
         {}},
        {"falling-codes",
         "[Temperature_Calibration]\nT_code0=300\nT_value0=1\nT_code1=200\nT_value1=2\n",
         true,
         false,
         0,
         0,
         {"Ошибка вычитывания калибровки из данного файла!"}},
        {"code-too-big",
         "[Temperature_Calibration]\nT_code0=100\nT_value0=1\nT_code1=16777216\nT_value1=2\n",
         true,
         false,
         0,
         0,
         {"Ошибка вычитывания калибровки из данного файла!"}},
        {"value-beyond-float",
         "[Temperature_Calibration]\nT_code0=100\nT_value0=1\nT_code1=200\nT_value1=1e300\n",
         true,
         false,
         0,
         0,
         {"Ошибка вычитывания калибровки из данного файла!"}},
        // More points than the device holds: all are shown, and the engineer is told at once.
        {"twelve-with-device", points(12), true, true, 12, 1, {tooManyForEight}},
        {"twenty-five-without-device", points(25), false, true, 25, 1, {}},
        {"twenty-six-with-device", points(26), true, false, 0, 0, {beyondAnyDevice}},
        {"thirty-without-device", points(30), false, false, 0, 0, {beyondAnyDevice}},
        {"with-id",
         "[SensorIDSection]\nID1=40\nID2=255\nID3=76\nID4=25\nID5=99\nID6=22\nID7=3\nID8=90\n" + points(12),
         true,
         true,
         12,
         1,
         {"Калибровка сделана для сенсора с ID = 28h FFh 4Ch 19h 63h 16h 03h 5Ah", tooManyForEight}},
    };
    for (const auto& c : cases) {
        const std::string path = dir.file(std::string(c.name) + ".clb");
        WriteFile(path, c.text);
        FileBench b;
        if (c.device) b.identifyAs(6, 8, true);
        b.chooseFile(path);
        EXPECT_EQ(LoadCalibrationFile(b.state, b.state.calibration), c.loaded) << c.name;
        EXPECT_EQ(b.ui.messageTexts(), c.messages) << c.name;
        const auto& set = b.state.calibration;
        EXPECT_EQ(set.codePoints.size(), c.points) << c.name;
        if (c.loaded) {
            EXPECT_EQ(set.calibrationEnabled, c.enabled) << c.name;
            EXPECT_EQ(set.calibrationFileKind, kFileIniCodePoints) << c.name;
            EXPECT_TRUE(b.state.identity.extendedCalibration) << c.name;
            EXPECT_EQ(set.codePoints[1].code, c.points > 2 ? 1100u : 200u) << c.name;
        }
    }
}

TEST(LoadCalibrationFile, CommaAndPointReadTheSameAndPairKinds) {
    TempFolder dir;
    const std::string path = dir.file("pairs.clb");
    WriteFile(path,
              "[Type_Calibr]\nVer=1\n[Temperature_Calibration]\nT_code0=10,25\nT_value0=0.5\nT_code1=110.25\n"
              "T_value1=100,5\n");
    FileBench b;
    b.chooseFile(path);  // no device: the file decides the form
    ASSERT_TRUE(LoadCalibrationFile(b.state, b.state.calibration));
    const auto& set = b.state.calibration;
    EXPECT_EQ(set.calibrationFileKind, kFileIniFloatPairs);
    ASSERT_EQ(set.temperaturePairs.size(), 2u);
    EXPECT_EQ(set.temperaturePairs[0].sensorReading, 10.25f);
    EXPECT_EQ(set.temperaturePairs[0].value, 0.5f);
    EXPECT_EQ(set.temperaturePairs[1].value, 100.5f);
    EXPECT_FALSE(set.readingsAreCodes);

    WriteFile(path,
              "[Type_Calibr]\nVer=2\n[Temperature_Calibration]\nT_code0=1500000\nT_value0=-20\nT_code1=2500000\n"
              "T_value1=80\n");
    b.chooseFile(path);
    ASSERT_TRUE(LoadCalibrationFile(b.state, b.state.calibration));
    EXPECT_EQ(set.calibrationFileKind, kFileIniCodePairs);
    EXPECT_TRUE(set.readingsAreCodes);
    EXPECT_EQ(PairReading(set, set.temperaturePairs[1]), 2500000.0);
}

// A file made for a device with more points passes through a smaller device's session whole.
TEST(SaveCalibrationFile, AFileForABiggerDeviceKeepsEveryPointThroughLoadAndSave) {
    TempFolder dir;
    std::string text = "[Temperature_Calibration]\n";
    for (int k = 0; k < 12; ++k)
        text += "T_code" + std::to_string(k) + "=" + std::to_string(500 * (k + 1)) + "\nT_value" + std::to_string(k) +
                "=" + std::to_string(k) + ".5\n";
    const std::string from = dir.file("twelve.clb"), to = dir.file("copy.clb");
    WriteFile(from, text);
    FileBench small;
    small.identifyAs(6, 8, true);
    small.chooseFile(from);
    ASSERT_TRUE(LoadCalibrationFile(small.state, small.state.calibration));
    small.chooseFile(to);
    ASSERT_TRUE(SaveCalibrationFile(small.state, small.state.calibration, CalibrationList::CodePoints, "copy.clb"));

    FileBench none;
    none.chooseFile(to);
    ASSERT_TRUE(LoadCalibrationFile(none.state, none.state.calibration));
    const auto& points = none.state.calibration.codePoints;
    ASSERT_EQ(points.size(), 12u);
    EXPECT_EQ(points.back().code, 6000u);
    EXPECT_EQ(points.back().value, 11.5f);
}

TEST(SaveCalibrationFile, IniKeepsForeignSectionsAndDropsStaleKeys) {
    TempFolder dir;
    const std::string path = dir.file("keep.clb");
    WriteFile(path,
              "[Notes]\r\nwho=bench 3\r\n[Type_Calibr]\r\nVer=1\r\n[Temperature_Calibration]\r\nT_code7=1\r\n"
              "T_value7=2\r\n[SensorIDSection]\r\nID1=1\r\n");
    FileBench b;
    b.identifyAs(6, 8, true);
    b.state.decimalSeparator = ',';
    b.state.calibration.codePoints = {{1000, 1.5f, 0}, {2000, 2.25f, 0}};
    b.chooseFile(path);
    b.ui.answerMessages({MessageAnswer::No});  // do not cancel the write
    ASSERT_TRUE(SaveCalibrationFile(b.state, b.state.calibration, ""));
    EXPECT_EQ(ReadFile(path),
              "[Notes]\r\nwho=bench 3\r\n[Type_Calibr]\r\n[Temperature_Calibration]\r\nT_code0=1000\r\n"
              "T_value0=1,5\r\nT_code1=2000\r\nT_value1=2,25\r\n");
    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Файл " + path + " уже существует. Отменить запись?"});
    EXPECT_EQ(b.state.settings.settingsDirectory, dir.path());
}

TEST(SaveCalibrationFile, PairsWithIdAndTheOverwriteQuestion) {
    TempFolder dir;
    const std::string path = dir.file("pairs.clb");
    FileBench b;
    b.identifyAs(16, 8, true);
    auto& set = b.state.calibration;
    set.temperaturePairs = {{-40.0f, -39.875f}, {0.1f, 0.125f}};
    set.calibrationEnabled = 1;  // an enabled calibration writes the file as it has always been
    set.calibrationHasSensorId = true;
    set.calibrationSensorId = {1, 2, 3, 4, 5, 6, 7, 255};
    b.chooseFile(path);
    ASSERT_TRUE(SaveCalibrationFile(b.state, b.state.calibration, ""));
    EXPECT_EQ(ReadFile(path),
              "[SensorIDSection]\r\nID1=1\r\nID2=2\r\nID3=3\r\nID4=4\r\nID5=5\r\nID6=6\r\nID7=7\r\nID8=255\r\n"
              "[Type_Calibr]\r\nVer=1\r\n[Temperature_Calibration]\r\nT_code0=-39.875\r\nT_value0=-40\r\n"
              "T_code1=0.125\r\nT_value1=0.100000001490116\r\n");
    EXPECT_TRUE(b.ui.messageTexts().empty());

    const std::string before = ReadFile(path);
    b.chooseFile(path);
    b.ui.answerMessages({MessageAnswer::Yes});  // cancel the write
    EXPECT_FALSE(SaveCalibrationFile(b.state, b.state.calibration, ""));
    EXPECT_EQ(ReadFile(path), before);
}

TEST(SaveCalibrationFile, BinaryRecordsReplaceTheFileWhole) {
    TempFolder dir;
    const std::string path = dir.file("seg.clb");
    WriteFile(path, "old contents that are longer than one record");
    FileBench b;
    b.identifyAs(4, 2, false);  // a file of one record is a whole table only for two points
    b.state.calibration.segmentTable = {{1000, 1.0f, 0.5f}};
    b.chooseFile(path);
    b.ui.answerMessages({MessageAnswer::No});
    ASSERT_TRUE(SaveCalibrationFile(b.state, b.state.calibration, ""));
    EXPECT_EQ(ReadFile(path), std::string("\xE8\x03\x00\x00\x00\x80\x3F\x00\x00\x00\x3F\x26", 12));
    EXPECT_EQ(b.ui.messageTexts().back(), "Данные были успешно записаны в файл " + path + " .");
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename(), "seg.clb") << "no temporary file is left";

    // A folder that is not there cannot take the file.
    const std::string nowhere = dir.file("missing") + "/seg.clb";
    b.ui.clearRecord();
    b.chooseFile(nowhere);
    EXPECT_FALSE(SaveCalibrationFile(b.state, b.state.calibration, ""));
    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Не могу открыть файл " + nowhere + " !"});
}

}  // namespace
}  // namespace quillon
