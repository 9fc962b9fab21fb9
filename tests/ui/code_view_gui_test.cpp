#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include "ui/frontend/show_code_form.h"
#include "ui/qt_text.h"
#include "ui_bench.h"
#include "frontend/menu_items.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;

std::string Text(QWidget* form, const char* name) {
    if (auto* l = Child<QLabel>(form, name)) return FromQ(l->text());
    return "(missing " + std::string(name) + ")";
}

struct Seen {
    std::string title, info;
    std::vector<std::string> groups;  // captions of the visible groups
    int width = 0;
    bool menuShown = true;
    bool closeButton = true;
    std::string requests1, value1, afterReset;
};

// "Просмотр кода АЦП" from the menu: identification, the code window inside
// the main window with the groups of the device, F4 and Stop.
Seen RunFromTheMenu(const char* preset) {
    UiBench b(preset);
    b.writeSettings("num_port=1\r\nshort_addr=" + std::to_string(b.device->profile().shortAddress) + "\r\n");
    auto& form = b.start();
    form.show();
    b.ui.onDialogShown = [](QDialog& d) { d.accept(); };  // the identity window
    Seen seen;
    bool pressedF4 = false, stopped = false;
    QTimer driver;
    driver.setInterval(0);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* f = form.findChild<ui::TShowCodeForm*>();
        if (!f || !f->isVisible() || stopped) return;
        const std::string requests = Text(f, "ZaprosovLabel1");
        if (!pressedF4 && requests == "4") {
            seen.title = FromQ(f->windowTitle());
            seen.info = Text(f, "InfoLabel");
            for (const char* name : {"GroupBox1", "GroupBox2", "GroupBox3"})
                if (auto* g = Child<QGroupBox>(f, name); g && g->isVisibleTo(f))
                    seen.groups.push_back(FromQ(g->title()));
            seen.width = f->width();
            seen.menuShown = form.menuBar()->isVisible();
            if (auto* sub = qobject_cast<QMdiSubWindow*>(f->parentWidget()))
                seen.closeButton = sub->windowFlags().testFlag(Qt::WindowCloseButtonHint);
            seen.requests1 = requests;
            seen.value1 = Text(f, "ValueLabel1");
            QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
            QApplication::sendEvent(f, &f4);
            pressedF4 = true;
        } else if (pressedF4 && (requests == "0" || requests == "1")) {
            seen.afterReset = requests;
            stopped = true;
            Click(f, "StopBitBtn");
        }
    });
    driver.start();
    form.menuAction(menu::AD_Code_Show)->trigger();
    QCoreApplication::processEvents();
    driver.stop();
    EXPECT_TRUE(stopped) << preset;
    EXPECT_TRUE(form.menuBar()->isVisible()) << preset;
    EXPECT_TRUE(form.mdiArea()->subWindowList().isEmpty()) << preset;
    // Identification may report what it read; nothing may go wrong.
    for (const auto& box : b.boxes) EXPECT_NE(box.icon, MessageIcon::Error) << preset << ": " << box.text;
    return seen;
}

TEST(CodeViewWindow, OneAndThreeChannelsFromTheMenu) {
    const Seen three = RunFromTheMenu("rev6");
    EXPECT_EQ(three.title, "Показ кода АЦП");
    EXPECT_EQ(three.info, "F4 - Reset, Enter - Stop");
    EXPECT_EQ(three.groups, (std::vector<std::string>{"Код АЦП :", "Код Uос относ. опорного :", "Код Uref-Uос :"}));
    EXPECT_FALSE(three.menuShown);
    EXPECT_FALSE(three.closeButton);
    EXPECT_NE(three.value1, "----------");
    EXPECT_FALSE(three.afterReset.empty()) << "F4 set the counters back";

    const Seen one = RunFromTheMenu("rev9");
    EXPECT_EQ(one.groups, (std::vector<std::string>{"Код АЦП :"}));
    EXPECT_LT(one.width * 2, three.width) << "the window shrinks to its one group";
    EXPECT_NE(one.value1, "----------");
}

}  // namespace
}  // namespace quillon::uitest
