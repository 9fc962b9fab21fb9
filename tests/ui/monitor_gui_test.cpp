#include <gtest/gtest.h>

#include <QAction>
#include <QListView>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "device/polling.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/serial_link.h"
#include "sim/multidrop_line.h"
#include "ui/monitor/loop_scan_form.h"
#include "ui/monitor/monitor_form.h"
#include "ui/poll_statistics_form.h"
#include "ui/qt_text.h"
#include "ui_bench.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;

QStringList ListLines(ui::TMonitorForm* m) {
    QStringList lines;
    auto* list = Child<QListView>(m, "FramesList");
    for (int r = 0; r < list->model()->rowCount(); ++r) lines << list->model()->index(r, 0).data().toString();
    return lines;
}

// The monitor opened by its key while a poll runs shows the poll's frames decoded.
TEST(MonitorWindow, OpenedDuringAPollShowsItsFramesDecoded) {
    UiBench b("rev6");
    b.writeSettings("num_port=1\r\nshort_addr=" + std::to_string(b.device->profile().shortAddress) + "\r\n");
    auto& form = b.start();
    b.state.identity.longAddress = b.device->profile().longAddress;
    form.show();

    QAction* item = form.findChild<QAction*>("MonitorItem");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(FromQ(item->text()), "Монитор обмена");
    EXPECT_EQ(item->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_M));
    EXPECT_TRUE(form.actions().contains(item)) << "the key must work without the menu bar";

    ui::TMonitorForm* monitor = nullptr;
    bool menuGoneWhenOpened = false;
    QStringList seen;
    QTimer driver;
    driver.setInterval(0);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* f = form.findChild<ui::TStatistikaForm*>();
        if (!f || !f->isVisible()) return;
        auto* button = Child<QPushButton>(f, "BitBtn1");
        if (!monitor) {
            menuGoneWhenOpened = !form.menuBar()->isVisible();
            item->trigger();
            monitor = form.findChild<ui::TMonitorForm*>("TMonitorForm");
            return;
        }
        monitor->refresh();
        if (seen.isEmpty() && monitor->monitor().entries().size() >= 6) {
            seen = ListLines(monitor);
            button->click();  // Stop
        }
        if (FromQ(button->text()) == "Выход") button->click();
    });
    driver.start();
    form.runCommand([&] { RunSimplePoll(b.state, PollRequest::Command1); });
    driver.stop();

    ASSERT_NE(monitor, nullptr);
    EXPECT_TRUE(menuGoneWhenOpened);
    EXPECT_TRUE(monitor->isVisible());
    EXPECT_EQ(FromQ(monitor->windowTitle()), "Монитор обмена");
    ASSERT_GE(seen.size(), 6);
    int requests = 0, answers = 0;
    for (const QString& line : seen) {
        const std::string l = FromQ(line);
        if (l.find(" → ") != std::string::npos &&
            l.find("команда 1 «Чтение первичной переменной»") != std::string::npos)
            ++requests;
        if (l.find(" ← ") != std::string::npos &&
            l.find("код ответа 0 (Запрос успешно выполнен!)") != std::string::npos &&
            l.find("контрольный байт") != std::string::npos && l.find("после снятия RTS") != std::string::npos)
            ++answers;
    }
    EXPECT_GE(requests, 2) << FromQ(seen.join('\n'));
    EXPECT_GE(answers, 2) << FromQ(seen.join('\n'));

    // A chosen line shows in full below the list, one part a line.
    auto* list = Child<QListView>(monitor, "FramesList");
    list->setCurrentIndex(list->model()->index(1, 0));
    const std::string detail = FromQ(Child<QPlainTextEdit>(monitor, "DetailMemo")->toPlainText());
    EXPECT_NE(detail.find("\nконтрольный байт"), std::string::npos) << detail;

    // Pause keeps the list as it is; closing the window stops the watching.
    Click(monitor, "PauseBitBtn");
    const auto before = monitor->monitor().entries().size();
    form.runCommand([&] {
        WithPortOpen(b.state, [&] {
            BuildShortRequest(b.state.buffer, 0);
            return Exchange(b.state);
        });
    });
    EXPECT_EQ(monitor->monitor().entries().size(), before);
    monitor->close();
    EXPECT_EQ(b.state.tap, nullptr);
}

TEST(LoopScanWindow, FindsTwoDevicesAndTheChosenOneBecomesCurrent) {
    UiBench b("rev6");
    sim::SimDevice second(sim::Preset("rev14"));
    second.setShortAddress(5);
    second.setTag("TT-102");
    sim::DeviceEndpoint secondEnd(second);
    sim::MultiDropLine line;
    line.add(*b.endpoint);
    line.add(secondEnd);
    b.line->setEndpoint(line);
    b.writeSettings("num_port=1\r\nshort_addr=0\r\n");
    auto& form = b.start();
    form.show();

    QStringList rows;
    b.ui.onDialogShown = [&](QDialog& d) {
        ASSERT_EQ(d.objectName(), "TLoopScanForm");
        Click(&d, "StartBitBtn");  // runs the scan to its end
        auto* grid = Child<QTableWidget>(&d, "DevicesGrid");
        for (int r = 0; r < grid->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < grid->columnCount(); ++c) cells << grid->item(r, c)->text();
            rows << cells.join('|');
        }
        grid->selectRow(1);
        Click(&d, "OkBitBtn");
    };
    QAction* item = form.findChild<QAction*>("LoopScanItem");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(FromQ(item->text()), "Поиск устройств на линии");
    item->trigger();
    QCoreApplication::processEvents();

    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(FromQ(rows[0]),
              "0|26h 16h 01h 00h 20h|ПО 6, устр. 0, апп. 0, униф. 5|ПО 6, точек калибровки 8; "
              "стандартные команды; код производителя 26h, тип устройства 16h, HART 5|QUILLON SIM");
    EXPECT_EQ(FromQ(rows[1]).rfind("5|", 0), 0u);
    EXPECT_NE(FromQ(rows[1]).find("|TT-102"), std::string::npos);
    EXPECT_EQ(b.state.settings.shortAddress, 5);
    EXPECT_FALSE(b.state.identity.identified);
    EXPECT_NE(FromQ(form.windowTitle()).find("Адрес 5"), std::string::npos);
    EXPECT_FALSE(PortIsOpen(b.state));
}

}  // namespace
}  // namespace quillon::uitest
