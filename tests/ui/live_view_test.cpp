#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QValueAxis>

#include "device/polling.h"
#include "link/live_view.h"
#include "link/serial_link.h"
#include "ui/poll_statistics_form.h"
#include "ui/qt_text.h"
#include "ui/show_all_form.h"
#include "ui/trend_chart.h"
#include "ui_bench.h"
#include "device/menu_items.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;

std::string Text(QWidget* form, const char* name) {
    if (auto* l = Child<QLabel>(form, name)) return FromQ(l->text());
    if (auto* b = Child<QAbstractButton>(form, name)) return FromQ(b->text());
    return "(missing " + std::string(name) + ")";
}

TEST(StatistikaView, UnitFollowsTheValueAndVelkorMovesTheButton) {
    UiBench b;
    auto& form = b.start();
    form.show();
    auto view = b.ui.openLiveView(live_view::Statistics);
    auto* f = form.findChild<ui::TStatistikaForm*>();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(FromQ(f->windowTitle()), "Статистика.  F4 - Reset, Enter - Stop");
    view->show();
    auto* value = Child<QLabel>(f, "ValueLabel");
    auto* unit = Child<QLabel>(f, "UnitLabel");
    for (const char* text : {"1.0000000", "-12345678.1234567", "NAN"}) {
        view->setText("ValueLabel", text);
        view->setText("UnitLabel", "град. Цельс");
        EXPECT_EQ(unit->x(), value->geometry().right() + 1 + 10) << text;
        EXPECT_GE(value->width(), value->fontMetrics().horizontalAdvance(value->text())) << text;
    }
    view->placeBelow("BitBtn1", "PeriodLabel");
    auto* period = Child<QLabel>(f, "PeriodLabel");
    auto* button = Child<QPushButton>(f, "BitBtn1");
    EXPECT_GT(button->y(), period->geometry().bottom());
    EXPECT_EQ(button->x(), period->x());

    view->setVisible("TxtMemo", true);
    view->setText("TxtMemo", "FF FF 86 ");
    EXPECT_EQ(FromQ(Child<QPlainTextEdit>(f, "TxtMemo")->toPlainText()), "FF FF 86 ");
}

TEST(StatistikaView, StopRaisesTheFlagThenTheSameButtonEndsTheWait) {
    UiBench b;
    auto& form = b.start();
    form.show();
    auto view = b.ui.openLiveView(live_view::Statistics);
    view->show();
    auto* f = form.findChild<ui::TStatistikaForm*>();
    auto* button = Child<QPushButton>(f, "BitBtn1");
    EXPECT_EQ(FromQ(button->text()), "Stop");
    button->click();
    EXPECT_TRUE(b.state.flags.stopRequested);

    view->setText("BitBtn1", "Выход");
    b.state.flags.stopRequested = false;
    QTimer::singleShot(0, button, &QPushButton::click);
    view->waitForClose();  // returns because the button was pressed
    EXPECT_FALSE(b.state.flags.stopRequested);
    view.reset();
    EXPECT_TRUE(form.mdiArea()->subWindowList().isEmpty());
}

TEST(LiveViews, ClosingTheWindowStopsThePollAndLaterCallsAreHarmless) {
    for (auto kind : {live_view::Statistics, live_view::ShowAll}) {
        UiBench b;
        auto& form = b.start();
        form.show();
        auto view = b.ui.openLiveView(kind);
        view->show();
        ASSERT_EQ(form.mdiArea()->subWindowList().size(), 1);
        form.mdiArea()->subWindowList().front()->close();
        EXPECT_TRUE(b.state.flags.stopRequested);
        view->setText("StatusLabel", "OK!");
        view->addTrendPoint(1.0, 2.0);
        view->waitForClose();  // already closed: returns at once
        view.reset();
        EXPECT_TRUE(form.mdiArea()->subWindowList().isEmpty());
    }
}

TEST(ShowAllView, GroupsValuesAndCountsByName) {
    UiBench b;
    auto& form = b.start();
    form.show();
    auto view = b.ui.openLiveView(live_view::ShowAll);
    auto* f = form.findChild<ui::TShowAllForm*>();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(FromQ(f->windowTitle()), "Текущие значения");
    view->setText("Hint", "F4 - Reset, Enter - Stop");
    EXPECT_EQ(FromQ(f->toolTip()), "F4 - Reset, Enter - Stop");
    const char* groups[] = {"Основной канал:", "T процессора:", "Канал 1 (с АЦП):", "Канал 2 (с I2C):"};
    for (int g = 0; g < 4; ++g) {
        const std::string n = std::to_string(g + 1);
        view->setText("GroupBox" + n, groups[g]);
        view->setText("Value" + n + "Label", "21.1234");
        view->setText("Average" + n + "Label", "21.0000");
        view->setText("Correct" + n + "Label", "7");
        auto* box = f->findChild<QGroupBox*>(ui::ToQ("GroupBox" + n));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(FromQ(box->title()), groups[g]);
        EXPECT_EQ(Text(box, ("Correct" + n + "Label").c_str()), "7");
    }
    view->setText("RequestsLabel", "12");
    view->setText("AnswersLabel", "11");
    EXPECT_EQ(Text(f, "RequestsLabel"), "12");
    EXPECT_EQ(Text(f, "AnswersLabel"), "11");
    Child<QPushButton>(f, "BitBtn1")->click();
    EXPECT_TRUE(b.state.flags.stopRequested);
}

TEST(TrendChart, KeepsOnlyTheLastMinutesAndACappedNumberOfPoints) {
    App();
    ui::TrendChart chart;
    // Ten points a second for twenty minutes, shown now and then as the timer would.
    for (int i = 0; i < 12000; ++i) {
        chart.addPoint(i / 10.0, 20.0 + (i % 50) * 0.01);
        if (i % 25 == 0) chart.flush();
    }
    chart.flush();
    const double last = 11999 / 10.0;
    EXPECT_EQ(chart.shownPointCount(), chart.pointCount());
    EXPECT_LE(chart.pointCount(), ui::TrendChart::kMaxPoints);
    EXPECT_GE(chart.pointCount(), 2990);  // the last five minutes are all there
    EXPECT_GE(chart.timeAxis()->max(), last);
    EXPECT_GE(chart.timeAxis()->min(), last - ui::TrendChart::kWindowSeconds - 1);
    EXPECT_LE(chart.valueAxis()->min(), 20.0);
    EXPECT_GE(chart.valueAxis()->max(), 20.49);

    // A fast device: far more points than the cap inside the window.
    ui::TrendChart fast;
    for (int i = 0; i < 20000; ++i) fast.addPoint(i / 100.0, 1.0);
    fast.flush();
    EXPECT_LE(fast.pointCount(), ui::TrendChart::kMaxPoints);
    EXPECT_GE(fast.pointCount(), ui::TrendChart::kMaxPoints * 3 / 4);

    // Values that do not convert are left out; clearing starts afresh.
    fast.addPoint(201.0, std::numeric_limits<double>::quiet_NaN());
    EXPECT_LE(fast.pointCount(), ui::TrendChart::kMaxPoints);
    fast.clear();
    EXPECT_EQ(fast.pointCount(), 0);
    EXPECT_EQ(fast.shownPointCount(), 0);
}

TEST(TrendChart, ValueLabelsFitBesideThePlotAndTellTicksApart) {
    App();
    struct Case {
        double centre, swing;
    };
    // Converter codes in the millions, a voltage that moves in the fourth decimal, a temperature.
    for (const Case c : {Case{3250000.0, 12.0}, Case{1.40823, 0.0002}, Case{20.0, 0.5}, Case{-0.004, 0.001}}) {
        ui::TrendChart chart;
        chart.resize(400, 300);
        chart.show();
        for (int i = 0; i < 40; ++i) chart.addPoint(i, c.centre + c.swing * ((i % 5) - 2) / 2.0);
        chart.flush();
        QCoreApplication::processEvents();
        const QValueAxis* axis = chart.valueAxis();
        EXPECT_LE(axis->min(), c.centre - c.swing) << c.centre;
        EXPECT_GE(axis->max(), c.centre + c.swing) << c.centre;
        const int ticks = axis->tickCount();
        ASSERT_GT(ticks, 1);
        const QFontMetrics metrics(axis->labelsFont());
        QStringList labels;
        for (int i = 0; i < ticks; ++i)
            labels << QString::asprintf(axis->labelFormat().toLatin1().constData(),
                                        axis->min() + i * (axis->max() - axis->min()) / (ticks - 1));
        for (int i = 0; i < ticks; ++i) {
            EXPECT_FALSE(labels[i].contains('e')) << labels[i].toStdString();
            EXPECT_LT(metrics.horizontalAdvance(labels[i]), chart.chart()->plotArea().left()) << labels[i].toStdString();
            if (i > 0) {
                EXPECT_NE(labels[i], labels[i - 1]) << c.centre;
            }
        }
    }
}

TEST(TrendChart, AddingAPointStaysCheapAsTheTrendGrows) {
    App();
    ui::TrendChart chart;
    chart.resize(400, 300);
    chart.show();
    for (int i = 0; i < 2900; ++i) chart.addPoint(i / 10.0, i % 7);
    chart.flush();
    QElapsedTimer timer;
    timer.start();
    for (int i = 2900; i < 12900; ++i) chart.addPoint(i / 10.0, i % 7);
    // Ten thousand points with a full trend: a poll cycle must not pay for the chart.
    EXPECT_LT(timer.elapsed(), 500);
}

// The real simple poll against the simulated device: the window fills, Esc
// ends the loop, the same button then closes the window, the menu comes back.
TEST(PollingEndToEnd, SimplePollRunsInsideTheMainWindowUntilEscThenExit) {
    UiBench b("rev6");
    b.writeSettings("num_port=1\r\nshort_addr=" + std::to_string(b.device->profile().shortAddress) + "\r\n");
    auto& form = b.start();
    b.state.identity.longAddress = b.device->profile().longAddress;
    form.show();

    int ticks = 0;
    bool menuHiddenDuringPoll = false;
    std::string requests, value;
    int trendPoints = 0;
    QTimer driver;
    driver.setInterval(0);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* f = form.findChild<ui::TStatistikaForm*>();
        if (!f || !f->isVisible()) return;
        ++ticks;
        if (!form.menuBar()->isVisible()) menuHiddenDuringPoll = true;
        auto* button = Child<QPushButton>(f, "BitBtn1");
        if (ticks == 200) {  // Esc, caught by the program-wide key hook, stops the poll
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(f, &esc);
        }
        if (FromQ(button->text()) == "Выход") {
            requests = Text(f, "ZaprosovLabel");
            value = Text(f, "ValueLabel");
            f->trend()->flush();
            trendPoints = f->trend()->shownPointCount();
            button->click();  // Exit
        }
    });
    driver.start();
    form.runCommand([&] { RunSimplePoll(b.state, PollRequest::Command1); });
    driver.stop();

    EXPECT_GE(ticks, 200);
    EXPECT_TRUE(menuHiddenDuringPoll);
    EXPECT_TRUE(form.menuBar()->isVisible());
    EXPECT_GT(std::stoi(requests), 0);
    EXPECT_NE(value, "----------");
    EXPECT_GT(trendPoints, 0);
    EXPECT_TRUE(form.mdiArea()->subWindowList().isEmpty());
}

// The menu item runs the whole road: port bracket, identification with its
// window, then the poll inside the main window.
TEST(PollingEndToEnd, StatistikaMenuItemIdentifiesThenPolls) {
    UiBench b("rev6");
    b.writeSettings("num_port=1\r\nshort_addr=" + std::to_string(b.device->profile().shortAddress) + "\r\n");
    auto& form = b.start();
    form.show();
    std::vector<std::string> dialogs;
    b.ui.onDialogShown = [&](QDialog& d) {
        dialogs.push_back(FromQ(d.objectName()));
        d.accept();
    };
    int ticks = 0;
    std::string requests;
    QTimer driver;
    driver.setInterval(0);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* f = form.findChild<ui::TStatistikaForm*>();
        if (!f || !f->isVisible()) return;
        auto* button = Child<QPushButton>(f, "BitBtn1");
        ++ticks;
        // Stop once a few requests have gone out.
        if (Text(f, "ZaprosovLabel") == "3") button->click();
        if (FromQ(button->text()) == "Выход") {
            requests = Text(f, "ZaprosovLabel");
            f->close();  // the window's close box ends the wait as well
        }
    });
    driver.start();
    form.findChild<QAction*>("Statistika")->trigger();
    QCoreApplication::processEvents();
    driver.stop();

    EXPECT_TRUE(b.state.identity.identified);
    EXPECT_EQ(dialogs, std::vector<std::string>{"TLongAddrForm"});
    ASSERT_FALSE(b.boxes.empty());
    EXPECT_EQ(b.boxes[0].text.rfind("Длинный адрес устройства", 0), 0u) << b.boxes[0].text;
    EXPECT_GT(std::stoi(requests.empty() ? "0" : requests), 0) << ticks << " " << b.boxTexts().back();
    EXPECT_FALSE(PortIsOpen(b.state));  // closed again after the command
    EXPECT_TRUE(form.menuBar()->isVisible());
    EXPECT_FALSE(form.commandRunning());
    EXPECT_TRUE(form.mdiArea()->subWindowList().isEmpty());
}

}  // namespace
}  // namespace quillon::uitest
