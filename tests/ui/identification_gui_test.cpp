#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "link/serial_link.h"
#include "ui/qt_text.h"
#include "ui_bench.h"
#include "device/menu_items.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;

// What the test saw of a dialog while it was on screen.
struct SeenDialog {
    std::string name;
    std::string title;
    std::vector<std::string> labels;
    bool okVisible = true;
    bool channelControlsEnabled = true;
    bool channel1Ticked = false, channel2Ticked = false, channel1Main = false;
};

SeenDialog Look(QDialog& d) {
    SeenDialog seen;
    seen.name = FromQ(d.objectName());
    seen.title = FromQ(d.windowTitle());
    for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label5"})
        if (auto* l = Child<QLabel>(&d, name))
            seen.labels.push_back(l->isVisibleTo(&d) ? FromQ(l->text()) : "(hidden)");
    if (auto* ok = Child<QPushButton>(&d, "OkBitBtn")) seen.okVisible = ok->isVisibleTo(&d);
    if (auto* c = Child<QCheckBox>(&d, "Challel0CheckBox")) {
        seen.channelControlsEnabled = c->isEnabled();
        seen.channel1Ticked = c->isChecked();
    }
    if (auto* c = Child<QCheckBox>(&d, "Challel1CheckBox")) seen.channel2Ticked = c->isChecked();
    if (auto* r = Child<QRadioButton>(&d, "Channel0RadioButton")) seen.channel1Main = r->isChecked();
    return seen;
}

// A revision-16 device identified from the menu: the channel window in its
// read-only form, then the identity window, and the menu items of the variant.
TEST(IdentificationFromTheMenu, RevisionSixteenShowsChannelsIdentityAndItsMenuItems) {
    UiBench b("rev16");
    b.device->profile().longAddress = {0x26, 0x16, 0x01, 0x02, 0x20};
    b.writeSettings("num_port=1\r\nshort_addr=" + std::to_string(b.device->profile().shortAddress) + "\r\n");
    auto& form = b.start();
    form.show();
    std::vector<SeenDialog> dialogs;
    b.ui.onDialogShown = [&](QDialog& d) {
        // The address change's own dialog is declined: only identification is looked at here.
        if (d.objectName() != "TShortAddrForm") dialogs.push_back(Look(d));
        d.reject();  // both windows have only a way out
    };

    // A command that identifies the device first, then stops at its declined dialog.
    form.menuAction(menu::ChangeShortAddr)->trigger();
    QCoreApplication::processEvents();

    EXPECT_TRUE(b.state.identity.identified);
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].name, "TSelectChannelForm");
    EXPECT_EQ(dialogs[0].title, "Текущие каналы");
    EXPECT_FALSE(dialogs[0].okVisible);
    EXPECT_FALSE(dialogs[0].channelControlsEnabled);
    EXPECT_TRUE(dialogs[0].channel1Ticked);
    EXPECT_TRUE(dialogs[0].channel2Ticked);
    EXPECT_TRUE(dialogs[0].channel1Main);

    EXPECT_EQ(dialogs[1].name, "TLongAddrForm");
    EXPECT_EQ(dialogs[1].title, "Длинный адрес устройства");
    const std::vector<std::string> labels{"26h 16h 01h 02h 20h", "Software Revision Level : 16.",
                                          "Device Revision Level : 0.", "Hardware Revision Level : 32.",
                                          "T версии 16 с работой АЦП и датчика I2C"};
    EXPECT_EQ(dialogs[1].labels, labels);

    EXPECT_TRUE(form.menuAction(menu::SelectChannelMenu)->isVisible());
    EXPECT_TRUE(form.menuAction(menu::SaveId)->isVisible());  // channel 2 is active
    EXPECT_FALSE(form.menuAction(menu::ChangeModbusAddrItem)->isVisible());
    EXPECT_FALSE(form.menuAction(menu::ConstPlotnomerItem)->isVisible());
    ASSERT_FALSE(b.boxes.empty());
    EXPECT_EQ(b.boxes[0].text, "Длинный адрес устройства 26h 16h 01h 02h 20h");
    EXPECT_FALSE(PortIsOpen(b.state));
    EXPECT_EQ(FromQ(form.windowTitle()), "Обслуживание датчиков температуры. Порт ttyS7. Адрес " +
                                             std::to_string(b.device->profile().shortAddress));

    // A second command identifies nothing again.
    dialogs.clear();
    form.menuAction(menu::ChangeShortAddr)->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.empty());
}

}  // namespace
}  // namespace quillon::uitest
