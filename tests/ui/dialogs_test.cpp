#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextLayout>

#include "device/dialogs.h"
#include "ui/progress_form.h"
#include "ui/qt_text.h"
#include "ui/radio_group.h"
#include "ui_bench.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;

struct BoxCase {
    MessageIcon icon;
    MessageButtons buttons;
    QMessageBox::Icon qtIcon;
    QMessageBox::StandardButtons qtButtons;
    QMessageBox::StandardButton press;  // NoButton: closed with Esc
    MessageAnswer answer;
};

TEST(MessageBoxes, IconButtonsCaptionAndAnswerAsAsked) {
    UiBench b;
    b.ui.answerMessage = nullptr;  // the real box this time
    auto& form = b.start();
    const BoxCase cases[] = {
        {MessageIcon::Error, MessageButtons::Ok, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok,
         MessageAnswer::Ok},
        {MessageIcon::Error, MessageButtons::Yes, QMessageBox::Critical, QMessageBox::Yes, QMessageBox::Yes,
         MessageAnswer::Yes},
        {MessageIcon::Warning, MessageButtons::YesNo, QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::No, MessageAnswer::No},
        {MessageIcon::Warning, MessageButtons::YesNo, QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::Yes, MessageAnswer::Yes},
        {MessageIcon::Confirmation, MessageButtons::YesNo, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::NoButton, MessageAnswer::No},
        {MessageIcon::Information, MessageButtons::OkCancel, QMessageBox::Information,
         QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel, MessageAnswer::Cancel},
    };
    for (const auto& c : cases) {
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        b.ui.onDialogShown = [&](QDialog& d) {
            auto* box = qobject_cast<QMessageBox*>(&d);
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->standardButtons();
            if (c.press == QMessageBox::NoButton)
                box->reject();
            else
                box->button(c.press)->click();
        };
        const MessageAnswer answer = b.ui.message(c.icon, "Повторить попытку?", c.buttons);
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(icon, c.qtIcon);
        EXPECT_EQ(buttons, c.qtButtons);
        EXPECT_EQ(FromQ(text), "Повторить попытку?");
        EXPECT_EQ(FromQ(title), "Quillon");  // no caption given: the program's name
    }
    b.ui.onDialogShown = [&](QDialog& d) {
        EXPECT_EQ(FromQ(d.windowTitle()), "GetLastError");
        d.accept();
    };
    b.ui.message(MessageIcon::Information, "No such file or directory", MessageButtons::Ok, "GetLastError");
    (void)form;
}

// The lines a box's label breaks its text into, as it lays them out on screen.
QStringList ShownLines(const QLabel& label) {
    QTextLayout layout(label.text(), label.font());
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label.contentsRect().width());
        lines << label.text().mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

TEST(MessageBoxes, AnIdIsNeverBrokenAcrossLines) {
    UiBench b;
    b.ui.answerMessage = nullptr;
    b.start();
    QStringList lines;
    b.ui.onDialogShown = [&](QDialog& d) {
        auto* label = d.findChild<QLabel*>("qt_msgbox_label");
        ASSERT_NE(label, nullptr);
        lines = ShownLines(*label);
        d.accept();
    };
    b.ui.message(MessageIcon::Information,
                 "Калибровка сделана для сенсора с ID = 28h FFh 4Ch 03h 04h 7Eh 00h 12h, а подключен сенсор с "
                 "ID = 28h FFh 4Ch 03h 04h 7Eh 00h 13h. Продолжить?",
                 MessageButtons::Ok);
    ASSERT_FALSE(lines.isEmpty());
    int whole = 0;
    for (const QString& line : lines) {
        const QString plain = QString(line).replace(QChar(0x00A0), ' ');
        whole += plain.count("28h FFh 4Ch 03h 04h 7Eh 00h 1");
        // A line that holds part of an id holds all of it.
        EXPECT_EQ(plain.count("28h"), plain.count("00h 1")) << FromQ(line);
    }
    EXPECT_EQ(whole, 2);
}

TEST(ProgressWindow, ModelessWithoutBorderIconsAndShowsEachAttempt) {
    UiBench b;
    b.start().show();
    auto* p = b.ui.progressWindow();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(FromQ(p->windowTitle()), "Обращение к устройству");
    EXPECT_FALSE(p->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(p->windowFlags() & Qt::WindowMinMaxButtonsHint);
    b.ui.showProgress("Запрос к  устройству ...");
    EXPECT_TRUE(p->isVisible());
    EXPECT_FALSE(p->isModal());
    for (int n = 1; n <= 3; ++n) {
        const std::string text = "Меняю короткий адрес. Попытка " + std::to_string(n);
        b.ui.setProgressText(text);
        EXPECT_EQ(FromQ(p->text()), text);
    }
    p->close();  // the user cannot close it
    EXPECT_TRUE(p->isVisible());
    b.ui.closeProgress();
    EXPECT_FALSE(p->isVisible());
}

// Shows `record` through the interface, lets `act` work on the form, returns OK/Cancel.
template <typename Record>
bool ShowWith(UiBench& b, Record& record, const std::function<void(QDialog&)>& act) {
    b.ui.onDialogShown = act;
    const bool ok = b.ui.show(record);
    b.ui.onDialogShown = nullptr;
    return ok;
}

TEST(Dialogs, ShortAddressDialogKeepsTheRecordsRangeAndOkCaption) {
    UiBench b;
    b.start();
    ShortAddressDialog modbus;
    modbus.caption = "Modbus-адрес [1-247]";
    modbus.okCaption = "Записать";
    modbus.minimum = 1;
    modbus.maximum = 247;
    modbus.value = 12;
    const bool ok = ShowWith(b, modbus, [](QDialog& d) {
        EXPECT_EQ(FromQ(d.windowTitle()), "Modbus-адрес [1-247]");
        auto* spin = Child<QSpinBox>(&d, "ShortAddrSpinEdit");
        EXPECT_EQ(spin->value(), 12);
        EXPECT_EQ(spin->maximum(), 247);
        EXPECT_EQ(FromQ(Child<QPushButton>(&d, "OkBitBtn")->text()), "Записать");
        spin->setValue(300);  // clamped to the range
        Click(&d, "OkBitBtn");
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(modbus.value, 247);

    ShortAddressDialog address;
    address.value = 3;
    EXPECT_FALSE(ShowWith(b, address, [](QDialog& d) {
        Child<QSpinBox>(&d, "ShortAddrSpinEdit")->setValue(9);
        Click(&d, "CancelBitBtn");
    }));
    EXPECT_EQ(address.value, 3);  // Cancel leaves the record as it was
}

TEST(Dialogs, ChannelDialogEnablesTheMainChannelOnlyWhenTicked) {
    UiBench b;
    b.start();
    ChannelDialog editable;
    editable.channel1Active = true;
    editable.channel2Active = false;
    editable.mainChannel = 0;
    EXPECT_TRUE(ShowWith(b, editable, [](QDialog& d) {
        auto* radio1 = Child<QRadioButton>(&d, "Channel1RadioButton");
        EXPECT_TRUE(Child<QRadioButton>(&d, "Channel0RadioButton")->isEnabled());
        EXPECT_FALSE(radio1->isEnabled());
        EXPECT_FALSE(Child<QPushButton>(&d, "OkBitBtn")->isHidden());
        EXPECT_EQ(FromQ(Child<QPushButton>(&d, "CancelBitBtn")->text()), "Cancel");
        Child<QCheckBox>(&d, "Challel1CheckBox")->setChecked(true);
        EXPECT_TRUE(radio1->isEnabled());
        radio1->setChecked(true);
        Child<QCheckBox>(&d, "Challel0CheckBox")->setChecked(false);
        EXPECT_FALSE(Child<QRadioButton>(&d, "Channel0RadioButton")->isEnabled());
        Click(&d, "OkBitBtn");
    }));
    EXPECT_FALSE(editable.channel1Active);
    EXPECT_TRUE(editable.channel2Active);
    EXPECT_EQ(editable.mainChannel, 1);

    ChannelDialog current;
    current.caption = "Текущие каналы";
    current.editable = false;
    current.channel1Active = current.channel2Active = true;
    current.mainChannel = 1;
    ShowWith(b, current, [](QDialog& d) {
        EXPECT_EQ(FromQ(d.windowTitle()), "Текущие каналы");
        EXPECT_TRUE(Child<QPushButton>(&d, "OkBitBtn")->isHidden());
        for (const char* name : {"Challel0CheckBox", "Challel1CheckBox", "Channel0RadioButton", "Channel1RadioButton"})
            EXPECT_FALSE(Child<QWidget>(&d, name)->isEnabled()) << name;
        EXPECT_TRUE(Child<QRadioButton>(&d, "Channel1RadioButton")->isChecked());
        // Only shown, so its one button closes it.
        EXPECT_EQ(FromQ(Child<QPushButton>(&d, "CancelBitBtn")->text()), "Закрыть");
        Click(&d, "CancelBitBtn");
    });
}

TEST(Dialogs, LongAddressEditsTwoHexCharactersAndOnlyTheDeviceIdBytes) {
    UiBench b;
    b.start();
    LongAddressDialog dialog;
    dialog.edits = {"23", "04", "0A", "0B", "0C"};
    EXPECT_TRUE(ShowWith(b, dialog, [](QDialog& d) {
        EXPECT_FALSE(Child<QLineEdit>(&d, "Edit1")->isEnabled());
        EXPECT_FALSE(Child<QLineEdit>(&d, "Edit2")->isEnabled());
        auto* edit3 = Child<QLineEdit>(&d, "Edit3");
        EXPECT_TRUE(edit3->isEnabled());
        EXPECT_EQ(edit3->maxLength(), 2);
        edit3->setText("g1x");
        Child<QLineEdit>(&d, "Edit5")->setText("a");
        Click(&d, "OkBitBtn");
    }));
    EXPECT_EQ(dialog.edits[2], "g1");
    EXPECT_EQ(dialog.edits[4], "a");
    EXPECT_EQ(dialog.edits[0], "23");
}

TEST(Dialogs, TextDialogsCarryTheirTextBothWays) {
    UiBench b;
    b.start();
    SerialStringDialog serial;
    serial.text = "T-0042";
    EXPECT_TRUE(ShowWith(b, serial, [](QDialog& d) {
        auto* e = Child<QLineEdit>(&d, "SerialStringEdit");
        EXPECT_EQ(e->maxLength(), 15);
        EXPECT_EQ(FromQ(e->text()), "T-0042");
        EXPECT_EQ(FromQ(Child<QLabel>(&d, "Label1")->text()), "Строка-идентификатор устройства:");
        e->setText("Датчик-1234567890");
        Click(&d, "OkBitBtn");
    }));
    EXPECT_EQ(serial.text, "Датчик-12345678");

    PreamblesDialog preambles;
    preambles.text = "5";
    EXPECT_TRUE(ShowWith(b, preambles, [](QDialog& d) {
        EXPECT_EQ(FromQ(d.windowTitle()), "Установка кол-ва преамбул в ответе");
        Child<QLineEdit>(&d, "Edit1")->setText("2a");
        Click(&d, "OkBitBtn");
    }));
    EXPECT_EQ(preambles.text, "2a");  // validation is the core's
}

TEST(Dialogs, RequestChoiceAndIdentityWindow) {
    UiBench b;
    b.start();
    RequestChoiceDialog choice;
    EXPECT_TRUE(ShowWith(b, choice, [](QDialog& d) {
        auto* group = Child<ui::RadioGroup>(&d, "RadioGroup1");
        EXPECT_EQ(FromQ(group->title()), "Номер HART-запроса :");
        EXPECT_EQ(group->items(), (QStringList{"Запрос 1 (только первичная переменная)", "Запрос 3 (все переменные)"}));
        EXPECT_EQ(group->itemIndex(), 1);
        group->button(0)->click();
        Click(&d, "OkBitBtn");
    }));
    EXPECT_EQ(choice.choice, 0);

    IdentityWindow identity;
    identity.labels = {"23h 04h 00h 00h 2Ah", "Software Revision Level : 6.", "Device Revision Level : 0.",
                       "Hardware Revision Level : 0.", "T версии 911 25 точек калибровки"};
    bool seen = false;
    b.ui.onDialogShown = [&](QDialog& d) {
        EXPECT_EQ(FromQ(d.windowTitle()), "Длинный адрес устройства");
        EXPECT_EQ(FromQ(Child<QLabel>(&d, "Label1")->text()), "23h 04h 00h 00h 2Ah");
        EXPECT_TRUE(Child<QLabel>(&d, "Label5")->isHidden());
        seen = true;
        Click(&d, "OkBitBtn");
    };
    b.ui.show(identity);
    EXPECT_TRUE(seen);
}

}  // namespace
}  // namespace quillon::uitest
