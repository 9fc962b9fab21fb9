#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <cmath>

#include "link/live_view.h"
#include "ui/qt_text.h"
#include "ui/trend_chart.h"
#include "ui_bench.h"
#include "calibration/menu_items.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;

// "Калибровка ..." → "Начать новую калибровку" through the real forms: two
// points, each taken by pressing "Останов" in the measuring window once it has
// counted three valid answers, then the view of the new calibration.
TEST(NewCalibrationGui, TwoPointsFromTheMenuToTheView) {
    UiBench b("rev6");
    b.writeSettings("num_port=1\r\nshort_addr=" + std::to_string(b.device->profile().shortAddress) + "\r\n");
    auto& form = b.start();
    form.show();
    auto& live = b.device->profile().live;
    live.noise = 0;
    live.reference = 20.0;
    const auto codeAt = [&](double reference) {
        return std::lround(live.codeAtZero + reference * live.codesPerUnit);
    };

    int choices = 0;
    QStringList prefilled, viewLines, windowLines;
    QString pointsLabel, windowTitle, firstCaption;
    int widthBefore = -1, widthAfter = -1;
    bool settlingShown = false;
    QString deviation;
    int trendPoints = -1;
    b.ui.onDialogShown = [&](QDialog& d) {
        const std::string name = FromQ(d.objectName());
        auto* window = form.findChild<QWidget*>("TCalibrovkaForm");
        if (name == "TGetTypeCalibrForm") {
            Click(&d, ++choices == 1 ? "NewCalibrBitBtn" : "CancelBitBtn");
        } else if (name == "TGetPointsForm") {
            EXPECT_EQ(FromQ(d.windowTitle()), "Ввод количества точек");
            pointsLabel = Child<QLabel>(&d, "Label1")->text();
            Child<QLineEdit>(&d, "PointsEdit")->setText("2");
            Click(&d, "OkBitBtn");
        } else if (name == "TGetCalibrPointForm") {
            EXPECT_EQ(FromQ(d.windowTitle()), "Ввод точки калибровки");
            prefilled << Child<QLineEdit>(&d, "ADEdit")->text();
            Child<QLineEdit>(&d, "ValueEdit")->setText(prefilled.size() == 1 ? "20" : "60,5");
            if (prefilled.size() == 1 && window) widthBefore = window->width();
            if (prefilled.size() == 2 && window) {
                widthAfter = window->width();
                auto* list = Child<QListWidget>(window, "ListBox1");
                for (int i = 0; list && i < list->count(); ++i) windowLines << list->item(i)->text();
                windowTitle = window->windowTitle();
                firstCaption = Child<QLabel>(window, "ValueLabelCaption")->text();
                settlingShown = !Child<QWidget>(window, "SettlingPanel")->isHidden();
                deviation = Child<QLabel>(window, "DeviationLabel")->text();
                trendPoints = Child<ui::TrendChart>(window, "TrendChart")->pointCount();
            }
            live.reference = 60.0;
            Click(&d, "OkBitBtn");
        } else if (name == "TShowCalibrForm") {
            EXPECT_EQ(window, nullptr) << "the measuring window is closed before the view";
            auto* list = Child<QListWidget>(&d, "ListBox1");
            for (int i = 0; i < list->count(); ++i) viewLines << list->item(i)->text();
            EXPECT_TRUE(Child<QPushButton>(&d, "SaveBitBtn")->isEnabled());
            EXPECT_TRUE(Child<QPushButton>(&d, "SendBitBtn")->isEnabled());
            Click(&d, "ExitBitBtn");
        } else {
            d.accept();  // the identity window
        }
    };
    // The engineer's hand on "Останов": only while no dialog is up.
    QTimer stopper;
    stopper.setInterval(5);
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget()) return;
        auto* w = form.findChild<QWidget*>("TCalibrovkaForm");
        auto* valid = w ? Child<QLabel>(w, "RightOtvetovLabel") : nullptr;
        if (valid && valid->text().toInt() >= 3) Click(w, "StopBitBtn");
    });
    stopper.start();
    form.menuAction(menu::Calibrovka)->trigger();
    QCoreApplication::processEvents();
    stopper.stop();

    EXPECT_EQ(choices, 2);
    EXPECT_EQ(FromQ(pointsLabel), "Введите количество точек (2-8):");
    ASSERT_EQ(prefilled.size(), 2);
    EXPECT_EQ(prefilled[0].toLongLong(), codeAt(20.0));
    EXPECT_EQ(prefilled[1].toLongLong(), codeAt(60.0));
    EXPECT_EQ(FromQ(windowTitle), "Калибровка");
    EXPECT_EQ(FromQ(firstCaption), "Значение :");
    ASSERT_EQ(windowLines.size(), 1) << "the window lists the points taken";
    EXPECT_EQ(FromQ(windowLines[0]), "1) Код АЦП : " + std::to_string(codeAt(20.0)) + "       Значение : 20.000");
    EXPECT_GT(widthAfter, widthBefore) << "the list widens the window when the first point arrives";
    EXPECT_TRUE(settlingShown);
    EXPECT_EQ(FromQ(deviation), "0.0") << "a reference without noise does not spread";
    EXPECT_GE(trendPoints, 3);
    ASSERT_GE(viewLines.size(), 2);
    EXPECT_TRUE(FromQ(viewLines[0]).starts_with("1) Код: " + std::to_string(codeAt(20.0))));
    const std::vector<std::string> boxes = b.boxTexts();
    EXPECT_NE(std::find(boxes.begin(), boxes.end(), "Для калибровки необходимо задать 2 точек."), boxes.end());
}

// The window of the devices with an ambient channel carries both channels' captions.
TEST(NewCalibrationGui, AmbientWindowCaptions) {
    UiBench b("rev6");
    b.start();
    auto view = b.ui.openLiveView(live_view::CalibrationAmbient);
    auto* w = b.form->findChild<QWidget*>("TCalibrTOkrForm");
    ASSERT_NE(w, nullptr);
    const std::vector<std::pair<const char*, const char*>> captions = {
        {"ValueLabelCaption", "Код Температуры :"},
        {"MediaLabelCaption", "Среднее значение :"},
        {"OkrValueLabelCaption", "Код Токр.среды :"},
        {"OkrMediaLabelCaption", "Среднее значение :"},
    };
    for (const auto& [name, text] : captions) {
        auto* label = Child<QLabel>(w, name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(FromQ(label->text()), text);
    }
    view->setText("OkrValueLabel", "24.00000");
    EXPECT_EQ(FromQ(Child<QLabel>(w, "OkrValueLabel")->text()), "24.00000");
    EXPECT_TRUE(Child<QListWidget>(w, "ListBox1")->isHidden());
}

}  // namespace
}  // namespace quillon::uitest
