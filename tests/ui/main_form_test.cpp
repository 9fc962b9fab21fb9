#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <stdexcept>

#include "app/menu_commands.h"
#include "app/version.h"
#include "ui/progress_form.h"
#include "ui/qt_text.h"
#include "ui_bench.h"
#include "device/menu_items.h"
#include "frontend/menu_items.h"
#include "calibration/menu_items.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;

struct MenuEntry {
    const char* menu;
    const char* name;
    const char* caption;
    bool visible;
};

const MenuEntry kMenu[] = {
    {"N1", "ParamConnect", "Установить параметры связи", true},
    {"N1", "MonitorItem", "Монитор обмена", true},
    {"N1", "LoopScanItem", "Поиск устройств на линии", true},
    {"N1", "N3", "Выход", true},
    {"N4", "Statistika", "Статистика обмена", true},
    {"N4", "SelectChannelMenu", "Выбор активных каналов", false},
    {"N4", "ChangeShortAddr", "Изменить короткий адрес датчика ...", true},
    {"N4", "ShangeLongAddrMenu", "Изменить длинный адрес датчика ...", true},
    {"N4", "ADParams", "Параметры АЦП ...", true},
    {"N4", "DACParams", "Параметры ЦАП ...", true},
    {"N4", "Calibrovka", "Калибровка ...", true},
    {"N4", "MeasParamsItem", "Параметры измерений ...", true},
    {"N4", "ValueCorrection", "Корректировка значения ...", true},
    {"N4", "PreambulsMenu", "Количество преамбул ...", true},
    {"N4", "ConstPlotnomerItem", "Константа для плотномера ...", true},
    {"N4", "FixTokMenuItem", "Фиксировать ток ...", true},
    {"N4", "AD_Code_Show", "Просмотр кода АЦП", true},
    {"N4", "AskReq3Item", "Опрос датчика (запрос 3)", true},
    {"N4", "ReadingTag", "Чтение тега", true},
    {"N4", "SaveId", "Запись ID для T на I2C (Ostrel)", false},
    {"N4", "ChangeModbusAddrItem", "Изменить Modbus-адрес", false},
    {"About", "AboutPrgItem", "О программе ...", true},
};

TEST(MainForm, MenuTreeHasEveryItemInOrderWithItsCaptionAndStartVisibility) {
    UiBench b;
    auto& form = b.start();
    QMenuBar* bar = form.menuBar();
    ASSERT_EQ(bar->actions().size(), 3);
    const char* menus[][2] = {{"N1", "Связь"}, {"N4", "Обслуживание датчика"}, {"About", "О программе"}};
    std::vector<std::string> seen;
    for (int m = 0; m < 3; ++m) {
        QMenu* menu = bar->actions()[m]->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(FromQ(menu->objectName()), menus[m][0]);
        EXPECT_EQ(FromQ(menu->title()), menus[m][1]);
        for (QAction* a : menu->actions()) seen.push_back(menus[m][0] + std::string("/") + FromQ(a->objectName()));
    }
    std::vector<std::string> expected;
    for (const auto& e : kMenu) {
        expected.push_back(std::string(e.menu) + "/" + e.name);
        auto* a = form.findChild<QAction*>(e.name);
        ASSERT_NE(a, nullptr) << e.name;
        EXPECT_EQ(FromQ(a->text()), e.caption) << e.name;
        EXPECT_EQ(a->isVisible(), e.visible) << e.name;
    }
    EXPECT_EQ(seen, expected);
}

TEST(MainForm, EveryItemRunsItsCommandSoEveryShownItemIsEnabled) {
    UiBench b;
    auto& form = b.start();
    for (const char* name : {"ParamConnect", "N3", "AboutPrgItem"}) {
        auto* a = form.findChild<QAction*>(name);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_TRUE(a->isEnabled()) << name;
    }
    // Devices that lack a command say so when it is chosen; the menu never greys it out.
    const struct {
        MenuItem item;
        bool enabled;
    } expected[] = {
        {menu::Statistika, true},      {menu::SelectChannelMenu, true},  {menu::ChangeShortAddr, true},
        {menu::ShangeLongAddrMenu, true}, {menu::ADParams, true},       {menu::DACParams, true},
        {menu::Calibrovka, true},      {menu::MeasParamsItem, true},     {menu::ValueCorrection, true},
        {menu::PreambulsMenu, true},   {menu::ConstPlotnomerItem, true}, {menu::FixTokMenuItem, true},
        {menu::AD_Code_Show, true},    {menu::AskReq3Item, true},        {menu::ReadingTag, true},
        {menu::SaveId, true},          {menu::ChangeModbusAddrItem, true},
    };
    for (const auto& e : expected) {
        // A hidden action counts as disabled; look at it as identification would show it.
        b.ui.setMenuItemVisible(e.item, true);
        ASSERT_NE(form.menuAction(e.item), nullptr) << e.item.name;
        EXPECT_EQ(form.menuAction(e.item)->isEnabled(), e.enabled) << e.item.name;
    }
}

TEST(MainForm, StatusBarAndFileDialogsAreSetUpAtStart) {
    UiBench b;
    auto& form = b.start();
    QStatusBar* bar = form.statusBar();
    EXPECT_EQ(bar->objectName(), "StatusBar1");
    EXPECT_TRUE(bar->isHidden());
    EXPECT_EQ(bar->layoutDirection(), Qt::RightToLeft);

    b.ui.setStatusBar(true, "Имеется более новая версия прошивки с исправлениями");
    EXPECT_FALSE(bar->isHidden());
    auto* panel = Child<QLabel>(bar, "StatusBar1Panel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(FromQ(panel->text()), "Имеется более новая версия прошивки с исправлениями");
    b.ui.setStatusBar(false, "");
    EXPECT_TRUE(bar->isHidden());

    EXPECT_EQ(FromQ(form.openDialog1()->windowTitle()), "Открытие файла с калибровкой");
    EXPECT_EQ(form.openDialog1()->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(form.openDialog1()->defaultSuffix(), "clb");
    EXPECT_EQ(FromQ(form.saveDialog1()->windowTitle()), "Запись калибровки в файл");
    EXPECT_EQ(form.saveDialog1()->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(form.saveDialog1()->nameFilters(), QStringList{"Calibr files (*.clb)"});
    // The start folder of both is the settings folder (the program folder by default).
    EXPECT_EQ(form.saveDialog1()->directory().absolutePath(), QDir(b.config.path()).absolutePath());
}

struct CaptionCase {
    const char* settings;
    const char* caption;
    size_t boxes;
};

TEST(MainForm, CaptionAfterStartUpShowsPortAndShortAddress) {
    const CaptionCase cases[] = {
        // No settings file at all.
        {nullptr, "Обслуживание датчиков температуры. Порт не выбран. Адрес 1", 0},
        {"num_port=1\r\nshort_addr=0\r\n", "Обслуживание датчиков температуры. Порт ttyS7. Адрес 0", 0},
        {"num_port=1\r\nshort_addr=16\r\n", "Обслуживание датчиков температуры. Порт ttyS7. Адрес 16", 0},
        // A port that has gone since the file was written falls back to none, silently.
        {"num_port=5\r\nshort_addr=3\r\n", "Обслуживание датчиков температуры. Порт не выбран. Адрес 3", 0},
    };
    for (const auto& c : cases) {
        UiBench b;
        if (c.settings) b.writeSettings(c.settings);
        auto& form = b.start();
        EXPECT_EQ(FromQ(form.windowTitle()), c.caption) << (c.settings ? c.settings : "(none)");
        EXPECT_EQ(b.boxes.size(), c.boxes);
    }
}

TEST(MainForm, APortThatCannotBeOpenedAtStartIsReportedOnceAndDeselected) {
    UiBench b;
    b.line->busy = true;  // found by the scan, but refuses to open
    b.writeSettings("num_port=1\r\nshort_addr=2\r\n");
    auto& form = b.start();
    ASSERT_EQ(b.boxes.size(), 1u);
    EXPECT_EQ(b.boxes[0].caption, "GetLastError");
    EXPECT_EQ(b.state.settings.portIndex, 0);
    EXPECT_EQ(FromQ(form.windowTitle()), "Обслуживание датчиков температуры. Порт не выбран. Адрес 2");
}

TEST(MainForm, StartUpReadsTheCounterFrequencyAndInstallsTheKeyHook) {
    UiBench b;
    b.start();
    EXPECT_EQ(b.state.port.performanceFrequency, sim::VirtualClock::kFrequency);
    QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
    QApplication::sendEvent(b.form.get(), &f4);
    EXPECT_TRUE(b.state.flags.resetRequested);
}

TEST(MainForm, ClosingTheWindowSavesTheSettingsEvenWithoutTheLinkDialog) {
    UiBench b;
    b.writeSettings("num_port=1\r\nshort_addr=7\r\nfirst_byte_wait=2000\r\n");
    auto& form = b.start();
    b.state.settings.nextByteWait = 444;  // changed in memory only
    form.show();
    EXPECT_TRUE(form.close());
    const std::string saved = b.readSettings();
    EXPECT_NE(saved.find("next_byte_wait=444"), std::string::npos) << saved;
    EXPECT_NE(saved.find("first_byte_wait=2000"), std::string::npos) << saved;
    EXPECT_NE(saved.find("short_addr=7"), std::string::npos) << saved;
}

TEST(MainForm, ExitItemClosesAndSaves) {
    UiBench b;
    auto& form = b.start();
    form.show();
    form.findChild<QAction*>("N3")->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.isVisible());
    EXPECT_NE(b.readSettings().find("short_addr=1"), std::string::npos);
}

TEST(MainForm, AnErrorEscapingACommandIsShownAndTheToolGoesOn) {
    UiBench b;
    auto& form = b.start();
    form.show();
    form.runCommand([&] {
        b.ui.setMainMenuPresent(false);
        b.ui.showProgress("Пишу параметры ЦАП. Попытка 1");
        throw std::runtime_error("сбой при разборе ответа");
    });
    ASSERT_EQ(b.boxes.size(), 1u);
    EXPECT_EQ(b.boxes[0].icon, MessageIcon::Error);
    EXPECT_EQ(b.boxes[0].text, "сбой при разборе ответа");
    // The menu and the window are usable again.
    EXPECT_TRUE(form.menuBar()->isVisible());
    EXPECT_TRUE(form.menuBar()->isEnabled());
    EXPECT_FALSE(b.ui.progressWindow()->isVisible());
    EXPECT_FALSE(form.commandRunning());
    bool ran = false;
    form.runCommand([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(MainForm, NoSecondCommandStartsWhileOneWaitsInsideAnExchange) {
    UiBench b;
    auto& form = b.start();
    form.show();
    int dialogs = 0;
    b.ui.onDialogShown = [&](QDialog& d) {
        ++dialogs;
        d.reject();
    };
    form.runCommand([&] {
        EXPECT_FALSE(form.menuBar()->isEnabled());
        // The user picks another item while the receive loop processes events.
        form.findChild<QAction*>("ParamConnect")->trigger();
        form.findChild<QAction*>("AboutPrgItem")->trigger();
        for (int i = 0; i < 5; ++i) b.ui.processEvents();
    });
    EXPECT_EQ(dialogs, 0);
    // After the command the same item works.
    form.findChild<QAction*>("AboutPrgItem")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs, 1);
}

TEST(MainForm, AboutBoxShowsTheVersionOfTheBuild) {
    UiBench b;
    auto& form = b.start();
    form.show();
    QString shown;
    b.ui.onDialogShown = [&](QDialog& d) {
        if (auto* label = d.findChild<QLabel*>("Version")) shown = label->text();
        d.reject();
    };
    form.findChild<QAction*>("AboutPrgItem")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(shown, QString("Версия: ") + quillon::kVersion);
    EXPECT_FALSE(QString(quillon::kVersion).isEmpty());
}

TEST(MainForm, ClosingDuringACommandStopsItAndClosesAfterwards) {
    UiBench b;
    auto& form = b.start();
    form.show();
    form.runCommand([&] {
        form.close();
        EXPECT_TRUE(form.isVisible());
        EXPECT_TRUE(b.state.flags.stopRequested);
    });
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.isVisible());
    EXPECT_NE(b.readSettings().find("short_addr"), std::string::npos);
}

TEST(MainForm, CoreControlsMenuItemVisibilityAndTheMenuBar) {
    UiBench b;
    auto& form = b.start();
    form.show();
    for (auto item : {menu::SelectChannelMenu, menu::SaveId, menu::ChangeModbusAddrItem,
                      menu::ConstPlotnomerItem}) {
        b.ui.setMenuItemVisible(item, true);
        EXPECT_TRUE(form.menuAction(item)->isVisible());
        b.ui.setMenuItemVisible(item, false);
        EXPECT_FALSE(form.menuAction(item)->isVisible());
    }
    b.ui.setMainMenuPresent(false);
    EXPECT_FALSE(form.menuBar()->isVisible());
    b.ui.setMainMenuPresent(true);
    EXPECT_TRUE(form.menuBar()->isVisible());
}

}  // namespace
}  // namespace quillon::uitest
