#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "app/menu_commands.h"
#include "device/held_output.h"
#include "device/hex_text.h"
#include "link/live_view.h"
#include "ui/qt_text.h"
#include "ui/radio_group.h"
#include "ui_bench.h"
#include "device/menu_items.h"
#include "frontend/menu_items.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;

// Fixes 12 mA through the real TFixTokForm from the menu command.
void FixTwelve(UiBench& b, bool& editEnabledAtFirst, bool& hasCloseBox) {
    b.ui.onDialogShown = [&](QDialog& d) {
        if (d.objectName() != "TFixTokForm") return d.accept();  // the identity window
        hasCloseBox = d.windowFlags().testFlag(Qt::WindowCloseButtonHint);
        auto* edit = Child<QLineEdit>(&d, "FixedTokEdit");
        auto* group = Child<ui::RadioGroup>(&d, "FixedModeRadioGroup");
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(group, nullptr);
        editEnabledAtFirst = edit->isEnabled();
        EXPECT_EQ(FromQ(edit->text()), "4.0000");
        EXPECT_EQ(group->itemIndex(), 0);
        group->button(1)->click();
        EXPECT_TRUE(edit->isEnabled());
        edit->setText("12");
        Click(&d, "OkBitBtn");
    };
    RunMenuCommand(b.state, menu::FixTokMenuItem);
    b.ui.onDialogShown = nullptr;
}

TEST(FixedOutputGui, BannerInMainAndStatisticsWindowsAndTheCloseQuestion) {
    const struct {
        MessageAnswer answer;
        bool closed;
        bool stillFixed;
    } cases[] = {
        {MessageAnswer::Cancel, false, true},
        {MessageAnswer::No, true, true},
        {MessageAnswer::Yes, true, false},
    };
    for (const auto& c : cases) {
        UiBench b("rev8");
        b.writeSettings("num_port=1\r\nshort_addr=0\r\n");
        auto& form = b.start();
        form.show();
        bool editEnabled = true, closeBox = true;
        FixTwelve(b, editEnabled, closeBox);
        EXPECT_FALSE(editEnabled);
        EXPECT_FALSE(closeBox);
        EXPECT_NE(b.device->profile().deviceStatus & 0x08, 0);

        const std::string shown =
            "Ток зафиксирован: 12.0000 мА (датчик " + HexBytesText(b.device->profile().longAddress) + ")";
        QLabel* banner = form.fixedOutputBanner();
        EXPECT_TRUE(banner->isVisible());
        EXPECT_EQ(FromQ(banner->text()), shown);
        auto view = b.ui.openLiveView(live_view::Statistics);
        view->show();
        auto* label = form.findChild<QLabel*>("FixedOutputLabel");
        ASSERT_NE(label, nullptr);
        EXPECT_TRUE(label->isVisible());
        EXPECT_EQ(FromQ(label->text()), shown);
        view.reset();

        b.boxes.clear();
        b.answers = {c.answer};
        EXPECT_EQ(form.close(), c.closed);
        ASSERT_FALSE(b.boxes.empty());
        EXPECT_EQ(b.boxes[0].buttons, MessageButtons::YesNoCancel);
        EXPECT_NE(b.boxes[0].text.find("ток 12.0000 мА"), std::string::npos);
        EXPECT_EQ((b.device->profile().deviceStatus & 0x08) != 0, c.stillFixed);
        if (!c.closed) {
            EXPECT_TRUE(banner->isVisible());
            b.answers = {MessageAnswer::No};
            form.close();
        }
    }
}

TEST(FixedOutputGui, LeavingHidesTheBanner) {
    UiBench b("rev8");
    b.writeSettings("num_port=1\r\nshort_addr=0\r\n");
    auto& form = b.start();
    form.show();
    bool editEnabled = true, closeBox = true;
    FixTwelve(b, editEnabled, closeBox);
    ASSERT_TRUE(form.fixedOutputBanner()->isVisible());
    b.ui.onDialogShown = [](QDialog& d) {
        Click(&d, "OkBitBtn");  // "leave" is preselected
    };
    RunMenuCommand(b.state, menu::FixTokMenuItem);
    EXPECT_FALSE(form.fixedOutputBanner()->isVisible());
    b.boxes.clear();
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(b.boxes.empty());  // nothing held, nothing asked
}

// A refused command 40 holds nothing: the banner stays hidden and closing asks nothing.
TEST(FixedOutputGui, ARefusedCurrentIsNotHeldAndClosingAsksNothing) {
    UiBench b("rev8");
    b.writeSettings("num_port=1\r\nshort_addr=0\r\n");
    auto& form = b.start();
    form.show();
    b.device->commands()[40] = [](sim::SimDevice&, const sim::HartRequest&) { return sim::HartReply{64, {}}; };
    bool editEnabled = true, closeBox = true;
    FixTwelve(b, editEnabled, closeBox);
    ASSERT_FALSE(b.boxes.empty());  // after the identification's own box
    EXPECT_EQ(b.boxes.back().text, "Ошибка! Команда не задействована!");
    EXPECT_FALSE(form.fixedOutputBanner()->isVisible());
    b.boxes.clear();
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(b.boxes.empty());
}

// The device is unplugged while it holds a current; the engineer closes the
// tool and asks for the release. One message says it failed, the tool
// closes, and the settings file still names the port.
TEST(FixedOutputGui, AReleaseOnAVanishedPortFailsInOneMessageAndThePortIsKept) {
    UiBench b("rev8");
    b.writeSettings("num_port=1\r\nport_name=ttyS7\r\nshort_addr=0\r\n");
    auto& form = b.start();
    form.show();
    bool editEnabled = true, closeBox = true;
    FixTwelve(b, editEnabled, closeBox);
    ASSERT_TRUE(form.fixedOutputBanner()->isVisible());

    b.line->unplugged = true;
    b.boxes.clear();
    b.answers = {MessageAnswer::Yes};
    EXPECT_TRUE(form.close());
    ASSERT_EQ(b.boxes.size(), 2u);
    EXPECT_EQ(b.boxes[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(b.boxes[1].icon, MessageIcon::Error);
    EXPECT_EQ(b.boxes[1].text, "Не удалось снять фиксацию выхода: устройство не отвечает.");
    const std::string file = b.readSettings();
    EXPECT_NE(file.find("num_port=1\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("port_name=ttyS7\r\n"), std::string::npos) << file;
}

}  // namespace
}  // namespace quillon::uitest
