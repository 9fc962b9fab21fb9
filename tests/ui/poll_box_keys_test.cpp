#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "device/polling.h"
#include "link/serial_link.h"
#include "sim/flow_computer.h"
#include "ui/poll_statistics_form.h"
#include "ui/qt_text.h"
#include "ui_bench.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;

// Presses a key on a widget as the keyboard would: through the application,
// so the program-wide key hook sees it too.
void PressKey(QWidget* target, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

// A poll through the flow computer with a password it refuses: every cycle
// asks "stop the link?" in a real message box. The user answers No by moving
// to the button and pressing Enter; that Enter must not end the poll. On the
// third box Yes ends it.
TEST(PollingKeys, EnterThatAnswersABoxInsideAPollCycleDoesNotStopIt) {
    UiBench b("rev6");
    sim::FlowComputer flowComputer({.address = 3, .password = "right"}, *b.endpoint);
    b.line->setEndpoint(flowComputer);
    b.writeSettings("num_port=1\r\n");
    auto& form = b.start();
    form.show();
    auto& st = b.state.settings;
    st.linkType = kLinkTunnel;
    st.tunnelAddress = 3;
    st.tunnelPassword = "wrong";
    b.state.identity.longAddress = b.device->profile().longAddress;
    RestartPort(b.state, st.linkType);

    b.ui.answerMessage = nullptr;  // real boxes, answered with keys below
    int boxes = 0;
    bool enterLeftBehind = false;
    b.ui.onDialogShown = [&](QDialog& d) {
        auto* box = qobject_cast<QMessageBox*>(&d);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(FromQ(box->text()), "Неправильный пароль Brenta! Прекратить связь?");
        ++boxes;
        QAbstractButton* answer = box->button(boxes < 3 ? QMessageBox::No : QMessageBox::Yes);
        answer->setFocus();
        PressKey(answer, Qt::Key_Return);
        // While the box is open the hook has seen the key, as it sees every key.
        if (b.state.flags.enterPressed) enterLeftBehind = true;
    };

    QTimer driver;
    driver.setInterval(0);
    std::string exitCaption;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* f = form.findChild<ui::TStatistikaForm*>();
        if (!f || !f->isVisible()) return;
        auto* button = Child<QPushButton>(f, "BitBtn1");
        if (FromQ(button->text()) == "Выход") {
            exitCaption = FromQ(button->text());
            button->click();
        }
    });
    driver.start();
    form.runCommand([&] { RunSimplePoll(b.state, PollRequest::Command1); });
    driver.stop();
    b.ui.onDialogShown = nullptr;

    EXPECT_TRUE(enterLeftBehind) << "the key reached the hook";
    EXPECT_EQ(boxes, 3) << "the poll went on after each No";
    EXPECT_EQ(exitCaption, "Выход");
    EXPECT_FALSE(b.state.flags.enterPressed);
}

}  // namespace
}  // namespace quillon::uitest
