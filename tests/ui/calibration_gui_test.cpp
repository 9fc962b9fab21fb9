#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFontInfo>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QScatterSeries>
#include <QValueAxis>

#include "ui/calibration/calibration_chart.h"
#include "ui/qt_text.h"
#include "ui_bench.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;

// "Калибровка ..." from the menu: the choice, the read from the simulated
// device, and the view with its list in a fixed-pitch font and its chart.
TEST(CalibrationFromTheMenu, ReadsTheDeviceAndShowsListAndChart) {
    UiBench b("rev6");
    b.writeSettings("num_port=1\r\nshort_addr=" + std::to_string(b.device->profile().shortAddress) + "\r\n");
    auto& form = b.start();
    int choices = 0;
    QStringList lines;
    QString title;
    bool fixedPitch = false, saveEnabled = false, sendEnabled = true, boxVisible = true;
    int linePoints = -1, markerPoints = -1;
    double xMax = 0;
    b.ui.onDialogShown = [&](QDialog& d) {
        const std::string name = FromQ(d.objectName());
        if (name == "TGetTypeCalibrForm") {
            EXPECT_EQ(FromQ(d.windowTitle()), "Выбор действий по калибровке");
            auto* read = Child<QPushButton>(&d, "ReadDeviceBitBtn");
            ASSERT_NE(read, nullptr);
            EXPECT_EQ(FromQ(read->text()), "Вычитать из датчика");
            Click(&d, ++choices == 1 ? "ReadDeviceBitBtn" : "CancelBitBtn");
        } else if (name == "TShowCalibrForm") {
            title = d.windowTitle();
            auto* list = Child<QListWidget>(&d, "ListBox1");
            ASSERT_NE(list, nullptr);
            for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
            fixedPitch = QFontInfo(list->font()).fixedPitch();
            saveEnabled = Child<QPushButton>(&d, "SaveBitBtn")->isEnabled();
            sendEnabled = Child<QPushButton>(&d, "SendBitBtn")->isEnabled();
            boxVisible = Child<QCheckBox>(&d, "EnabledCheckBox")->isVisibleTo(&d);
            auto* chart = Child<ui::CalibrationChartView>(&d, "CalibrationChart");
            ASSERT_NE(chart, nullptr);
            linePoints = static_cast<int>(chart->lineSeries()->count());
            markerPoints = static_cast<int>(chart->pointSeries()->count());
            xMax = chart->xAxis()->max();
            Click(&d, "ExitBitBtn");
        } else {
            d.reject();
        }
    };
    form.menuAction(MenuItem::Calibrovka)->trigger();
    QCoreApplication::processEvents();

    EXPECT_EQ(choices, 2) << "the choice comes back after the view";
    EXPECT_EQ(FromQ(title), "Калибровка");
    ASSERT_EQ(lines.size(), 8);
    EXPECT_TRUE(lines[0].startsWith("1) Код: 1200000     Тем-ра : -50"));
    EXPECT_TRUE(fixedPitch);
    EXPECT_TRUE(saveEnabled);
    EXPECT_FALSE(sendEnabled);
    EXPECT_FALSE(boxVisible);
    EXPECT_EQ(linePoints, 8);
    EXPECT_EQ(markerPoints, 8);
    EXPECT_GT(xMax, 1200000.0 + 7 * 500000.0);
}

}  // namespace
}  // namespace quillon::uitest
