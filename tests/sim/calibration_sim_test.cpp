#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "calibration/calibration_file.h"
#include "sim/calibration_examples.h"
#include "sim/devsim_console.h"
#include "sim/devsim_options.h"
#include "sim/faults.h"

namespace quillon::sim {
namespace {

// Every preset keeps a calibration of its family's form, so a read of any
// preset finds one; --help says which.
TEST(SimCalibration, PresetsHaveTheirFormAndHelpNamesIt) {
    const struct {
        const char* preset;
        SimCalibrationForm form;
        std::size_t points;
    } cases[] = {
        {"rev4", SimCalibrationForm::Segments, 8},          {"rev3-hw1", SimCalibrationForm::Segments, 8},
        {"rev6", SimCalibrationForm::CodePoints, 8},        {"rev8", SimCalibrationForm::CodePoints, 15},
        {"rev14", SimCalibrationForm::TemperaturePairs, 8}, {"rev16", SimCalibrationForm::TemperaturePairs, 25},
    };
    for (const auto& c : cases) {
        const DeviceProfile p = Preset(c.preset);
        EXPECT_EQ(CalibrationFormOf(p.softwareRevision), c.form) << c.preset;
        const CalibrationStore& s = p.calibration;
        switch (c.form) {
            case SimCalibrationForm::Segments: EXPECT_EQ(s.segments.size(), c.points - 1) << c.preset; break;
            case SimCalibrationForm::CodePoints:
                EXPECT_EQ(s.codeSlots[0].size(), c.points) << c.preset;
                EXPECT_EQ(s.codeSlots[1].size(), c.points) << c.preset;
                EXPECT_TRUE(s.codeSlots[0].at(0).last) << c.preset;
                break;
            case SimCalibrationForm::TemperaturePairs: EXPECT_EQ(s.pairs[0].pairs.size(), c.points) << c.preset; break;
        }
    }
    EXPECT_TRUE(Preset("rev16").calibration.pairs[1].sensorId.has_value());
    const std::string help = DevsimUsage();
    EXPECT_NE(help.find("  rev3-hw1     segments, 8 points and an extra point\n"), std::string::npos);
    EXPECT_NE(help.find("  rev8         code points, 15 points on both channels\n"), std::string::npos);
    EXPECT_NE(help.find("--calibration FILE"), std::string::npos);
}

TEST(SimCalibration, ClbFileFromTheCommandLineOrTheConsole) {
    const auto dir = std::filesystem::temp_directory_path() / "quillon-sim-clb";
    std::filesystem::create_directories(dir);
    const std::string ini = (dir / "points.clb").string();
    std::ofstream(ini) << "[Temperature_Calibration]\nT_code0=1000\nT_value0=1\nT_code1=3000\nT_value1=2\n";
    const std::string segments = (dir / "seg.clb").string();
    std::ofstream(segments, std::ios::binary) << EncodeSegmentRecords({{0, -1.0f, 0.5f}, {100, 49.0f, 0.25f}});

    std::string error;
    auto o = ParseDevsimOptions({"--preset", "rev6", "--calibration", ini}, error);
    ASSERT_TRUE(o) << error;
    const DeviceProfile p = o->profile();
    ASSERT_EQ(p.calibration.codeSlots[0].size(), 2u);
    EXPECT_EQ(p.calibration.codeSlots[0].at(7).code, 3000u);
    EXPECT_TRUE(p.calibration.codeSlots[0].at(6).last);

    EXPECT_FALSE(ParseDevsimOptions({"--preset", "rev14", "--calibration", ini}, error));
    EXPECT_NE(error.find("--calibration"), std::string::npos);
    EXPECT_FALSE(ParseDevsimOptions({"--calibration", (dir / "missing.clb").string()}, error));
    auto bare = ParseDevsimOptions({"--preset", "rev4", "--no-calibration"}, error);
    ASSERT_TRUE(bare);
    EXPECT_TRUE(bare->profile().calibration.segments.empty());

    SimDevice device(Preset("rev4"));
    FaultPlan faults;
    ConsoleTarget t{device, faults, nullptr};
    EXPECT_EQ(RunConsoleCommand("calibration load " + segments, t).reply.rfind("loaded ", 0), 0u);
    ASSERT_EQ(device.profile().calibration.segments.size(), 2u);
    EXPECT_EQ(device.profile().calibration.segments[1].slope, 0.25f);
    EXPECT_EQ(RunConsoleCommand("calibration load " + ini + ".none", t).reply.rfind("not loaded: ", 0), 0u);
    RunConsoleCommand("calibration clear", t);
    EXPECT_TRUE(device.profile().calibration.segments.empty());
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quillon::sim
