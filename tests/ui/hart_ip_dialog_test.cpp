#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QRadioButton>
#include <QLineEdit>
#include <QSpinBox>
#include <functional>

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

void RunLinkCommand(UiBench& b, std::vector<std::function<void(QDialog&)>> steps) {
    size_t next = 0;
    b.ui.onDialogShown = [&](QDialog& d) {
        if (next < steps.size())
            steps[next++](d);
        else
            d.reject();
    };
    b.form->runCommand([&] { ApplyLinkDialog(b.state, b.settingsPath); });
    b.ui.onDialogShown = nullptr;
}

// Choosing HART-IP in the real dialog: its group replaces the port and the
// serial waits, an empty host is refused, and what was typed reaches the
// settings file and the caption.
TEST(HartIpLinkDialog, ChoosesAServerAndStoresIt) {
    UiBench b;
    b.start();
    RunLinkCommand(b, {[&](QDialog& d) {
                           auto* type = Child<RadioGroup>(&d, "TypeConnectRadioGroup");
                           ASSERT_NE(type, nullptr);
                           EXPECT_FALSE(Shown(&d, "HartIpGroupBox"));
                           type->button(2)->click();
                           EXPECT_TRUE(Shown(&d, "HartIpGroupBox"));
                           EXPECT_FALSE(Shown(&d, "ComPortRadioGroup"));
                           EXPECT_FALSE(Shown(&d, "DelaysGroupBox"));
                           EXPECT_FALSE(Shown(&d, "BrentaGroupBox"));
                           EXPECT_EQ(Child<QSpinBox>(&d, "HartIpPortSpinEdit")->value(), 5094);
                           Child<QLineEdit>(&d, "HartIpHostEdit")->setText("  ");
                           Click(&d, "OkBitBtn");
                       },
                       [&](QDialog& d) {
                           ASSERT_EQ(b.boxTexts(), std::vector<std::string>{"Не указан адрес HART-IP сервера!"});
                           EXPECT_EQ(Child<RadioGroup>(&d, "TypeConnectRadioGroup")->itemIndex(), 2)
                               << "shown again with the user's entries";
                           Child<QLineEdit>(&d, "HartIpHostEdit")->setText(" gw-7.plant ");
                           Child<QSpinBox>(&d, "HartIpPortSpinEdit")->setValue(20004);
                           Child<RadioGroup>(&d, "HartIpTransportRadioGroup")->button(1)->click();
                           Child<QSpinBox>(&d, "HartIpTimeoutSpinEdit")->setValue(1500);
                           Click(&d, "OkBitBtn");
                       }});
    const auto& st = b.state.settings;
    EXPECT_EQ(st.linkType, kLinkHartIp);
    EXPECT_EQ(st.hartIpHost, "gw-7.plant");
    EXPECT_EQ(st.hartIpPort, 20004);
    EXPECT_EQ(st.hartIpTransport, kHartIpUdp);
    EXPECT_EQ(st.hartIpResponseTimeout, 1500);
    EXPECT_EQ(FromQ(b.form->windowTitle()), "Обслуживание датчиков температуры. HART-IP gw-7.plant:20004. Адрес 1");
    const std::string file = b.readSettings();
    for (const char* line : {"type_connect=0\r\n", "hart_ip_link=1\r\n", "hart_ip_host=gw-7.plant\r\n",
                             "hart_ip_port=20004\r\n", "hart_ip_transport=1\r\n", "hart_ip_timeout=1500\r\n"})
        EXPECT_NE(file.find(line), std::string::npos) << line;

    // The next start finds the same link, and the dialog shows it.
    UiBench again;
    again.writeSettings(file.substr(file.find("\r\n") + 2));
    again.start();
    EXPECT_EQ(again.state.settings.linkType, kLinkHartIp);
    RunLinkCommand(again, {[&](QDialog& d) {
                       EXPECT_EQ(Child<RadioGroup>(&d, "TypeConnectRadioGroup")->itemIndex(), 2);
                       EXPECT_EQ(FromQ(Child<QLineEdit>(&d, "HartIpHostEdit")->text()), "gw-7.plant");
                       EXPECT_EQ(Child<RadioGroup>(&d, "HartIpTransportRadioGroup")->itemIndex(), 1);
                       d.reject();
                   }});
}

}  // namespace
}  // namespace quillon::uitest
