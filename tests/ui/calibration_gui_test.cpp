#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QFontMetrics>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QValueAxis>
#include <fstream>

#include "ui/calibration/calibration_chart.h"
#include "ui/calibration/show_calibr_form.h"
#include "ui/qt_text.h"
#include "ui_bench.h"
#include "calibration/menu_items.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;

// "Калибровка ..." from the menu: the choice, the read from the simulated
// device, and the view with its list and its chart.
TEST(CalibrationFromTheMenu, ReadsTheDeviceAndShowsListAndChart) {
    UiBench b("rev6");
    b.writeSettings("num_port=1\r\nshort_addr=" + std::to_string(b.device->profile().shortAddress) + "\r\n");
    auto& form = b.start();
    int choices = 0;
    QStringList lines;
    QString title;
    bool saveEnabled = false, sendEnabled = true, boxVisible = true;
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
    form.menuAction(menu::Calibrovka)->trigger();
    QCoreApplication::processEvents();

    EXPECT_EQ(choices, 2) << "the choice comes back after the view";
    EXPECT_EQ(FromQ(title), "Калибровка");
    ASSERT_EQ(lines.size(), 8);
    EXPECT_TRUE(lines[0].startsWith("1) Код: 1200000     Тем-ра : -50"));
    EXPECT_TRUE(saveEnabled);
    EXPECT_FALSE(sendEnabled);
    EXPECT_FALSE(boxVisible);
    EXPECT_EQ(linePoints, 8);
    EXPECT_EQ(markerPoints, 8);
    EXPECT_GT(xMax, 1200000.0 + 7 * 500000.0);
}

// The list's lines are built in fixed columns, which only a fixed-pitch font keeps.
TEST(CalibrationView, ListIsInTheSystemsFixedPitchFont) {
    App();
    // The off-screen plugin has no theme on Windows (under Wine as on Windows): it names no
    // fixed-pitch font and hands its default one out. The windows plugin's, Courier New, is
    // checked by the window check on a real COM port (tests/com_port/com_port_window_test.cpp).
    if (!QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).fixedPitch())
        GTEST_SKIP() << "this platform plugin (" << FromQ(QGuiApplication::platformName())
                     << ") names no fixed-pitch font";
    ui::TShowCalibrForm view;
    auto* list = Child<QListWidget>(&view, "ListBox1");
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(QFontInfo(list->font()).fixedPitch()) << FromQ(QFontInfo(list->font()).family());
}

// Opens the calibration view of the device's own calibration from the menu;
// `look` sees the chart before the view is left.
void ViewDeviceCalibration(UiBench& b, const std::function<void(ui::CalibrationChartView&)>& look) {
    b.writeSettings("num_port=1\r\nshort_addr=" + std::to_string(b.device->profile().shortAddress) + "\r\n");
    auto& form = b.start();
    int choices = 0;
    b.ui.onDialogShown = [&](QDialog& d) {
        const std::string name = FromQ(d.objectName());
        if (name == "TGetTypeCalibrForm") {
            Click(&d, ++choices == 1 ? "ReadDeviceBitBtn" : "CancelBitBtn");
        } else if (name == "TShowCalibrForm") {
            auto* chart = Child<ui::CalibrationChartView>(&d, "CalibrationChart");
            EXPECT_NE(chart, nullptr);
            if (chart) look(*chart);
            Click(&d, "ExitBitBtn");
        } else {
            d.reject();
        }
    };
    form.menuAction(menu::Calibrovka)->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(choices, 2);
}

// Each axis label, as the axis formats it, fits the room between two ticks.
void ExpectLabelsFit(const ui::CalibrationChartView& chart, const QValueAxis& axis, double room, const char* which) {
    const QFontMetrics metrics(axis.labelsFont());
    const int ticks = axis.tickCount();
    ASSERT_GT(ticks, 1) << which;
    const double step = (axis.max() - axis.min()) / (ticks - 1);
    for (int i = 0; i < ticks; ++i) {
        const QString label = QString::asprintf(axis.labelFormat().toLatin1().constData(), axis.min() + i * step);
        EXPECT_LT(metrics.horizontalAdvance(label), room) << which << " label " << FromQ(label);
        EXPECT_FALSE(label.contains('e')) << which << " label " << FromQ(label);
    }
    (void)chart;
}

TEST(CalibrationFromTheMenu, SegmentChartDrawsTheExtraPointBesideTheLine) {
    UiBench b("rev3-hw1");
    QList<QPointF> line, markers, extra;
    QString extraName;
    bool legendShown = false, extraInLegend = false;
    ViewDeviceCalibration(b, [&](ui::CalibrationChartView& chart) {
        chart.resize(chart.minimumSize());
        line = chart.lineSeries()->points();
        markers = chart.pointSeries()->points();
        extra = chart.extraPointSeries()->points();
        legendShown = chart.chart()->legend()->isVisible();
        for (QLegendMarker* m : chart.chart()->legend()->markers()) {
            if (m->series() == chart.extraPointSeries()) {
                extraInLegend = m->isVisible() && !m->label().isEmpty();
            } else {
                EXPECT_FALSE(m->isVisible()) << FromQ(m->label());
            }
        }
        extraName = chart.extraPointSeries()->name();
        const QRectF plot = chart.chart()->plotArea();
        ExpectLabelsFit(chart, *chart.xAxis(), plot.width() / (chart.xAxis()->tickCount() - 1), "x");
        ExpectLabelsFit(chart, *chart.yAxis(), chart.chart()->plotArea().left(), "y");
        EXPECT_LE(chart.xAxis()->min(), 0.0);
        EXPECT_GE(chart.xAxis()->max(), 61000.0);
    });
    ASSERT_EQ(line.size(), 7);
    EXPECT_EQ(markers, line);
    for (int i = 1; i < line.size(); ++i) EXPECT_GT(line[i].x(), line[i - 1].x()) << i;
    ASSERT_EQ(extra.size(), 1);
    EXPECT_EQ(extra[0], QPointF(61000.0, 260.5));
    EXPECT_TRUE(legendShown);
    EXPECT_TRUE(extraInLegend);
    EXPECT_EQ(FromQ(extraName), "Добавочная точка");
}

TEST(CalibrationFromTheMenu, ChartWithoutExtraPointHasNoLegendAndReadableCodes) {
    UiBench b("rev6");  // codes in the millions
    bool legendShown = true;
    int extraCount = -1;
    ViewDeviceCalibration(b, [&](ui::CalibrationChartView& chart) {
        chart.resize(chart.minimumSize());
        legendShown = chart.chart()->legend()->isVisible();
        extraCount = static_cast<int>(chart.extraPointSeries()->count());
        ExpectLabelsFit(chart, *chart.xAxis(), chart.chart()->plotArea().width() / (chart.xAxis()->tickCount() - 1),
                        "x");
        ExpectLabelsFit(chart, *chart.yAxis(), chart.chart()->plotArea().left(), "y");
    });
    EXPECT_FALSE(legendShown);
    EXPECT_EQ(extraCount, 0);
}

// "Прочитать из файла" asks nothing of the device, and a table whose slope does
// not exist (two equal readings) is never offered for sending.
TEST(CalibrationFromTheMenu, FileOpensWithoutIdentifyingAndADegenerateTableIsNotSendable) {
    UiBench b("rev6");
    b.writeSettings("num_port=1\r\nshort_addr=" + std::to_string(b.device->profile().shortAddress) + "\r\n");
    auto identifications = std::make_shared<int>(0);
    auto original = b.device->commands()[0];
    b.device->commands()[0] = [identifications, original](sim::SimDevice& d, const sim::HartRequest& q) {
        ++*identifications;
        return original(d, q);
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("flat.clb");
    std::ofstream(FromQ(path), std::ios::binary)
        << "[Type_Calibr]\nVer=1\n[Temperature_Calibration]\nT_code0=5\nT_value0=0\nT_code1=5\nT_value1=10\n";
    auto& form = b.start();
    *identifications = 0;
    b.boxes.clear();
    int choices = 0, views = 0;
    bool sendEnabled = true;
    b.ui.onDialogShown = [&](QDialog& d) {
        const std::string name = FromQ(d.objectName());
        if (name == "TGetTypeCalibrForm") {
            Click(&d, ++choices == 1 ? "ReadFileBitBtn" : "CancelBitBtn");
        } else if (auto* files = qobject_cast<QFileDialog*>(&d)) {
            files->selectFile(path);
            d.accept();  // the file dialog's own accept, through QDialog
        } else if (name == "TShowCalibrForm") {
            ++views;
            sendEnabled = Child<QPushButton>(&d, "SendBitBtn")->isEnabled();
            Click(&d, "ExitBitBtn");
        } else {
            d.reject();
        }
    };
    form.menuAction(menu::Calibrovka)->trigger();
    QCoreApplication::processEvents();

    EXPECT_EQ(*identifications, 0) << "the choice and the file need no device";
    EXPECT_TRUE(b.boxTexts().empty()) << ::testing::PrintToString(b.boxTexts());
    EXPECT_EQ(choices, 2);
    EXPECT_EQ(views, 1);
    EXPECT_FALSE(sendEnabled);
}

}  // namespace
}  // namespace quillon::uitest
