#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <algorithm>
#include <functional>
#include <map>
#include <utility>

#include "link/link_dialog.h"
#include "ui/qt_text.h"
#include "ui/radio_group.h"
#include "ui_bench.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;
using ui::RadioGroup;

bool Shown(QWidget* parent, const char* name) {
    auto* w = Child<QWidget>(parent, name);
    EXPECT_NE(w, nullptr) << name;
    return w && !w->isHidden();
}

bool Enabled(QWidget* parent, const char* name) {
    auto* w = Child<QWidget>(parent, name);
    EXPECT_NE(w, nullptr) << name;
    return w && w->isEnabled();
}

void SetText(QWidget* d, const char* name, const char* text) {
    auto* e = Child<QLineEdit>(d, name);
    ASSERT_NE(e, nullptr) << name;
    e->setText(QString::fromUtf8(text));
}

// Runs the real link command; each time the dialog opens, the next step fills it.
void RunLinkCommand(UiBench& b, std::vector<std::function<void(QDialog&)>> steps, int* shows = nullptr) {
    size_t next = 0;
    b.ui.onDialogShown = [&](QDialog& d) {
        if (next < steps.size())
            steps[next++](d);
        else
            d.reject();
    };
    b.form->runCommand([&] { ApplyLinkDialog(b.state, b.settingsPath); });
    if (shows) *shows = static_cast<int>(next);
    b.ui.onDialogShown = nullptr;
}

struct GroupVisibility {
    bool hartSpeed, comPort, delays, brenta;
};

void ExpectGroups(QDialog& d, GroupVisibility v, const char* when) {
    EXPECT_EQ(Shown(&d, "HartSpeedRadioGroup"), v.hartSpeed) << when;
    EXPECT_EQ(Shown(&d, "ComPortRadioGroup"), v.comPort) << when;
    EXPECT_EQ(Shown(&d, "DelaysGroupBox"), v.delays) << when;
    EXPECT_EQ(Shown(&d, "BrentaGroupBox"), v.brenta) << when;
}

TEST(LinkDialog, GroupsFollowLinkTypeFormatSouAndFileTick) {
    UiBench b;
    b.start();
    bool checked = false;
    RunLinkCommand(b, {[&](QDialog& d) {
                       EXPECT_EQ(FromQ(d.windowTitle()), "Ввод параметров связи с датчиком");
                       auto* type = Child<RadioGroup>(&d, "TypeConnectRadioGroup");
                       ASSERT_NE(type, nullptr);
                       EXPECT_EQ(type->items(), (QStringList{"Через HART-modem", "Через Brenta", "Через HART-IP"}));
                       ExpectGroups(d, {true, true, true, false}, "modem");
                       type->button(1)->click();
                       ExpectGroups(d, {false, true, true, true}, "Brenta");
                       type->setItemIndex(-1);
                       ExpectGroups(d, {false, false, false, false}, "no link type");
                       type->button(0)->click();
                       ExpectGroups(d, {true, true, true, false}, "modem again");

                       // Line number only for the request format with the external module.
                       auto* format = Child<RadioGroup>(&d, "ReqFormatRadioGroup");
                       EXPECT_FALSE(Shown(&d, "NumLineComboBox"));
                       format->button(1)->click();
                       EXPECT_TRUE(Shown(&d, "NumLineComboBox"));
                       EXPECT_TRUE(Shown(&d, "NumLineLabel"));
                       format->button(0)->click();
                       EXPECT_FALSE(Shown(&d, "NumLineLabel"));

                       auto* password = Child<QLineEdit>(&d, "PasswordEdit");
                       auto* sou = Child<QCheckBox>(&d, "SOUCheckBox");
                       EXPECT_EQ(password->maxLength(), 16);
                       EXPECT_FALSE(Shown(&d, "UserIDEdit"));
                       sou->setChecked(true);
                       EXPECT_EQ(password->maxLength(), 12);
                       EXPECT_TRUE(Shown(&d, "UserIDEdit"));
                       EXPECT_TRUE(Shown(&d, "UserIDLabel"));
                       EXPECT_EQ(Child<QLineEdit>(&d, "UserIDEdit")->maxLength(), 4);
                       sou->setChecked(false);
                       EXPECT_EQ(password->maxLength(), 16);
                       EXPECT_FALSE(Shown(&d, "UserIDLabel"));

                       auto* writeFile = Child<QCheckBox>(&d, "WriteFileCheckBox");
                       EXPECT_FALSE(Enabled(&d, "FileNameEdit"));
                       EXPECT_FALSE(Enabled(&d, "SelectFileButton"));
                       writeFile->setChecked(true);
                       EXPECT_TRUE(Enabled(&d, "FileNameEdit"));
                       EXPECT_TRUE(Enabled(&d, "SelectFileButton"));
                       checked = true;
                       Click(&d, "CloseBitBtn");
                   }});
    EXPECT_TRUE(checked);
}

TEST(LinkDialog, OpensWithTheStoredSettings) {
    UiBench b;
    b.writeSettings(
        "type_connect=1\r\nnum_port=1\r\nspeed=13\r\nfl_addr=17\r\nSOU=1\r\ntype_fl_request=1\r\n"
        "fl_num_line=2\r\nMasterAddr=1\r\nfirst_byte_wait=7500\r\nnext_byte_wait=400\r\nshort_addr=4\r\n");
    b.start();
    RunLinkCommand(b, {[&](QDialog& d) {
                       ExpectGroups(d, {false, true, true, true}, "stored Brenta link");
                       EXPECT_TRUE(Shown(&d, "NumLineComboBox"));
                       EXPECT_TRUE(Shown(&d, "UserIDEdit"));
                       EXPECT_EQ(Child<QComboBox>(&d, "NumLineComboBox")->currentIndex(), 2);
                       EXPECT_EQ(Child<QSpinBox>(&d, "BrentaSpinEdit")->value(), 17);
                       auto* ports = Child<RadioGroup>(&d, "ComPortRadioGroup");
                       EXPECT_EQ(ports->items(), (QStringList{"Не выбран", "ttyS7"}));
                       EXPECT_EQ(ports->itemIndex(), 1);
                       EXPECT_EQ(Child<RadioGroup>(&d, "SpeedRadioGroup")->itemIndex(), 13);
                       EXPECT_EQ(Child<RadioGroup>(&d, "SpeedRadioGroup")->button(13)->text(), "38400");
                       EXPECT_EQ(Child<RadioGroup>(&d, "MasterAddrRadioGroup")->itemIndex(), 1);
                       EXPECT_EQ(FromQ(Child<QLineEdit>(&d, "Edit1")->text()), "4");
                       EXPECT_EQ(FromQ(Child<QLineEdit>(&d, "FirstByteEdit")->text()), "7500");
                       EXPECT_EQ(FromQ(Child<QLineEdit>(&d, "NextByteEdit")->text()), "400");
                       d.reject();
                   }});
    EXPECT_TRUE(b.boxes.empty());
}

TEST(LinkDialog, EntriesAreCheckedInOrderAndTheDialogComesBackWithWhatWasTyped) {
    UiBench b;
    b.start();
    struct Entry {
        const char* shortAddr;
        const char* first;
        const char* next;
        const char* message;  // nullptr: shown again without a word, or accepted
    };
    const Entry entries[] = {
        {"x1", "abc", "abc", "Введены неправильные цифры!"},
        {"17", "abc", "abc", nullptr},
        {"16", "abc", "abc", "Неправильная информация при вводе ожидания первого байта!"},
        {"16", "399", "abc", "Неправильный диапазон при вводе ожидания первого байта!"},
        {"16", "10001", "abc", "Неправильный диапазон при вводе ожидания первого байта!"},
        {"16", "5000", "3,5", "Неправильная информация при вводе ожидания следующего байта!"},
        {"16", "5000", "299", "Неправильный диапазон при вводе ожидания следующего байта!"},
        {"16", "5000", "5001", "Неправильный диапазон при вводе ожидания следующего байта!"},
        {"16", "5000", "5000",
         "При связи через Brenta время ожидания первого байта ответа желательно установить не "
         "менее 7000 мс! Иначе можно не дождаться ответа."},
    };
    std::vector<std::function<void(QDialog&)>> steps;
    const Entry* previous = nullptr;
    for (const auto& e : entries) {
        steps.push_back([&e, previous](QDialog& d) {
            if (previous) {
                // The dialog is shown again with the user's entries, not the stored ones.
                EXPECT_EQ(FromQ(Child<QLineEdit>(&d, "Edit1")->text()), previous->shortAddr);
                EXPECT_EQ(FromQ(Child<QLineEdit>(&d, "NextByteEdit")->text()), previous->next);
            } else {
                Child<RadioGroup>(&d, "TypeConnectRadioGroup")->button(1)->click();
            }
            EXPECT_EQ(Child<RadioGroup>(&d, "TypeConnectRadioGroup")->itemIndex(), 1);
            SetText(&d, "Edit1", e.shortAddr);
            SetText(&d, "FirstByteEdit", e.first);
            SetText(&d, "NextByteEdit", e.next);
            Click(&d, "OkBitBtn");
        });
        previous = &e;
    }
    int shows = 0;
    RunLinkCommand(b, steps, &shows);
    EXPECT_EQ(shows, static_cast<int>(std::size(entries)));
    std::vector<std::string> expected;
    for (const auto& e : entries)
        if (e.message) expected.push_back(e.message);
    EXPECT_EQ(b.boxTexts(), expected);
    ASSERT_FALSE(b.boxes.empty());
    EXPECT_EQ(b.boxes.front().icon, MessageIcon::Error);
    EXPECT_EQ(b.boxes.back().icon, MessageIcon::Warning);

    // Taken over as entered, saved, and shown in the caption.
    EXPECT_EQ(b.state.settings.linkType, 1);
    EXPECT_EQ(b.state.settings.firstByteWait, 5000);
    EXPECT_EQ(b.state.settings.nextByteWait, 5000);
    EXPECT_EQ(b.state.settings.shortAddress, 16);
    EXPECT_NE(b.readSettings().find("first_byte_wait=5000"), std::string::npos);
    EXPECT_EQ(FromQ(b.form->windowTitle()), "Обслуживание датчиков температуры. Порт не выбран. Адрес 16");
}

TEST(LinkDialog, ChoosingAPortShowsItInTheCaption) {
    UiBench b;
    b.start();
    RunLinkCommand(b, {[&](QDialog& d) {
                       Child<RadioGroup>(&d, "ComPortRadioGroup")->button(1)->click();
                       SetText(&d, "Edit1", "3");
                       Click(&d, "OkBitBtn");
                   }});
    EXPECT_TRUE(b.boxes.empty()) << b.boxes.front().text;
    EXPECT_EQ(FromQ(b.form->windowTitle()), "Обслуживание датчиков температуры. Порт ttyS7. Адрес 3");
    EXPECT_EQ(b.state.settings.portIndex, 1);
}

TEST(LinkDialog, StoredChoicesWithoutAnItemSurviveOk) {
    UiBench b;
    b.writeSettings("type_connect=2\r\nspeed=20\r\n");
    b.start();
    RunLinkCommand(b, {[&](QDialog& d) {
                       EXPECT_EQ(Child<RadioGroup>(&d, "TypeConnectRadioGroup")->itemIndex(), -1);
                       EXPECT_EQ(Child<RadioGroup>(&d, "SpeedRadioGroup")->itemIndex(), -1);
                       ExpectGroups(d, {false, false, false, false}, "link type without an item");
                       Click(&d, "OkBitBtn");
                   }});
    EXPECT_EQ(b.state.settings.linkType, 2);
    EXPECT_EQ(b.state.settings.portSpeedIndex, 20);
    EXPECT_NE(b.readSettings().find("type_connect=2\r\n"), std::string::npos);
    EXPECT_NE(b.readSettings().find("speed=20\r\n"), std::string::npos);
}

TEST(LinkDialog, CloseChangesNothing) {
    UiBench b;
    b.start();
    RunLinkCommand(b, {[&](QDialog& d) {
                       SetText(&d, "Edit1", "9");
                       SetText(&d, "FirstByteEdit", "9000");
                       Click(&d, "CloseBitBtn");
                   }});
    EXPECT_EQ(b.state.settings.shortAddress, 1);
    EXPECT_EQ(b.state.settings.firstByteWait, 1000);
    EXPECT_TRUE(b.readSettings().empty());
}

TEST(LinkDialog, CredentialsAreMaskedAndTheirLabelFocusesThePassword) {
    UiBench b;
    b.start();
    RunLinkCommand(b, {[&](QDialog& d) {
                       auto* password = Child<QLineEdit>(&d, "PasswordEdit");
                       auto* userId = Child<QLineEdit>(&d, "UserIDEdit");
                       EXPECT_EQ(password->echoMode(), QLineEdit::Password);
                       EXPECT_EQ(userId->echoMode(), QLineEdit::Password);
                       // Typing beyond the limit is cut off at 16 characters.
                       password->setText("0123456789abcdefXYZ");
                       EXPECT_EQ(password->text(), "0123456789abcdef");
                       Child<QLineEdit>(&d, "Edit1")->setFocus();
                       auto* label = Child<QLabel>(&d, "PasswordLabel");
                       QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), label->mapToGlobal(QPointF(2, 2)),
                                         Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                       QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), label->mapToGlobal(QPointF(2, 2)),
                                           Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
                       QApplication::sendEvent(label, &press);
                       QApplication::sendEvent(label, &release);
                       EXPECT_EQ(d.focusWidget(), password);
                       d.reject();
                   }});
}

// The widest strip down `window`, between its layout's margins, in which none
// of its own widgets shows anything: a column left empty.
int WidestEmptyBand(QWidget& window) {
    std::vector<std::pair<int, int>> spans;
    for (QWidget* w : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisible()) spans.emplace_back(w->geometry().left(), w->geometry().right() + 1);
    std::sort(spans.begin(), spans.end());
    const QMargins margins = window.layout()->contentsMargins();
    int reached = margins.left();
    int widest = 0;
    for (const auto& [left, right] : spans) {
        widest = std::max(widest, left - reached);
        reached = std::max(reached, right);
    }
    return std::max(widest, window.width() - margins.right() - reached);
}

// Each link type gets a dialog as wide as its groups, whichever came before.
TEST(LinkDialog, IsAsWideAsTheChosenLinkNeeds) {
    UiBench b;
    b.start();
    bool checked = false;
    RunLinkCommand(b, {[&](QDialog& d) {
                       auto* type = Child<RadioGroup>(&d, "TypeConnectRadioGroup");
                       ASSERT_NE(type, nullptr);
                       std::map<int, int> widths;
                       for (int item : {kLinkDirect, kLinkTunnel, kHartIpLinkItem, kLinkDirect}) {
                           type->button(item)->click();
                           QCoreApplication::processEvents();
                           EXPECT_LE(WidestEmptyBand(d), 24) << FromQ(type->button(item)->text());
                           if (widths.count(item)) {
                               EXPECT_EQ(d.width(), widths[item]) << "back to the modem";
                           }
                           widths[item] = d.width();
                       }
                       // Only the flow computer needs a third column.
                       EXPECT_GT(widths[kLinkTunnel], widths[kLinkDirect]);
                       EXPECT_GT(widths[kLinkTunnel], widths[kHartIpLinkItem]);
                       checked = true;
                       d.reject();
                   }});
    EXPECT_TRUE(checked);
}

}  // namespace
}  // namespace quillon::uitest
