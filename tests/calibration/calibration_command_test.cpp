#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "calibration/calibration_command.h"
#include "calibration/calibration_file.h"
#include "calibration/calibration_view.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::SimBench;

// "Прочитать из файла" with no device: each kind of file opens the view of
// its list, saving off until an edit, sending on; the choice comes back.
TEST(CalibrationCommand, FileOfEachKindOpensItsView) {
    const auto dir = std::filesystem::temp_directory_path() / "quillon-command-clb";
    std::filesystem::create_directories(dir);
    const struct {
        const char* name;
        std::string bytes;
        std::size_t lines;
        bool enableBox;
    } cases[] = {
        {"pairs.clb", "[Type_Calibr]\nVer=1\n[Temperature_Calibration]\nT_code0=1\nT_value0=0\nT_code1=2\nT_value1=5\n",
         2, true},
        {"codes.clb",
         "[Temperature_Calibration]\nT_code0=100\nT_value0=0\nT_code1=300\nT_value1=5\nT_code2=900\nT_value2=9\n", 3,
         false},
        {"segments.clb", EncodeSegmentRecords({{0, 0.0f, 0.5f}, {100, 50.0f, 0.25f}}), 2, false},
    };
    for (const auto& c : cases) {
        const std::string path = (dir / c.name).string();
        std::ofstream(path, std::ios::binary) << c.bytes;
        SimBench b("rev6");
        b.ui.onDialog<CalibrationTypeDialog>([](CalibrationTypeDialog& d) {
            EXPECT_EQ(d.caption, "Выбор действий по калибровке");
            d.choice = CalibrationTypeDialog::kFromFile;
            return true;
        });
        b.ui.onDialog<CalibrationFileDialog>([path](CalibrationFileDialog& d) {
            d.fileName = path;
            return true;
        });
        std::vector<ShowCalibrationDialog> views;
        for (int action : {kViewSend, kViewExit})
            b.ui.onDialog<ShowCalibrationDialog>([&views, action](ShowCalibrationDialog& d) {
                views.push_back(d);
                d.result = action;
                return true;
            });
        CalibrationCommand(b.state, b.state.calibration);
        ASSERT_EQ(views.size(), 2u) << c.name << ": sending shows the view again";
        EXPECT_EQ(views[0].lines.size(), c.lines) << c.name;
        EXPECT_FALSE(views[0].saveEnabled) << c.name;
        EXPECT_TRUE(views[0].sendEnabled) << c.name;
        EXPECT_EQ(views[0].enabledBoxVisible, c.enableBox) << c.name;
        const auto shown = b.ui.dialogsShown;
        EXPECT_EQ(std::count(shown.begin(), shown.end(), "CalibrationTypeDialog"), 2) << c.name;
    }
    std::filesystem::remove_all(dir);
}

TEST(CalibrationCommand, RefusedFamiliesAndNoDevice) {
    const struct {
        const char* preset;
        const char* message;
    } cases[] = {
        {"rev15",
         "В данном устройстве используется многотемпературная калибровка. Используйте для калибровки программу "
         "Dravmont.exe !"},
        {"rev13", "В данном устройстве функция калибровки не поддерживается!"},
        {"rev10", "В данном устройстве функция калибровки не поддерживается!"},
    };
    for (const auto& c : cases) {
        SimBench b(c.preset);
        b.ui.onDialog<CalibrationTypeDialog>([](CalibrationTypeDialog& d) {
            d.choice = CalibrationTypeDialog::kRead;
            return true;
        });
        CalibrationCommand(b.state, b.state.calibration);
        ASSERT_FALSE(b.ui.messages.empty()) << c.preset;
        EXPECT_EQ(b.ui.messages.back().text, c.message) << c.preset;
        EXPECT_EQ(b.ui.messages.back().icon, MessageIcon::Information) << c.preset;
        EXPECT_EQ(std::count(b.ui.dialogsShown.begin(), b.ui.dialogsShown.end(), "ShowCalibrationDialog"), 0);
    }
}

}  // namespace
}  // namespace quillon
