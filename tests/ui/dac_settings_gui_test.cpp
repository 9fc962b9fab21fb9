#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <bit>

#include "app/menu_commands.h"
#include "device/identification.h"
#include "frontend/pwm_calibration.h"
#include "link/serial_link.h"
#include "ui/qt_text.h"
#include "ui_bench.h"
#include "frontend/menu_items.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;
using ui::ToQ;

std::string EditText(QWidget* w, const char* name) {
    auto* e = Child<QLineEdit>(w, name);
    return e ? FromQ(e->text()) : "(missing)";
}

void SetEdit(QWidget* w, const char* name, const char* text) {
    if (auto* e = Child<QLineEdit>(w, name)) e->setText(text);
}

TEST(DacSettingsGui, SettingVariantThroughTheForm) {
    UiBench b("rev7");
    b.writeSettings("num_port=1\r\nshort_addr=0\r\n");
    b.start();
    int shown = 0;
    b.ui.onDialogShown = [&](QDialog& d) {
        if (d.objectName() != "TDACKatPotForm") return d.accept();  // the identity window
        ++shown;
        EXPECT_EQ(FromQ(d.windowTitle()), "Параметры ЦАП");
        EXPECT_EQ(FromQ(Child<QLabel>(&d, "NaklonLabel")->text()), "Значение наклона DAC/мА :");
        if (shown == 1) {
            EXPECT_EQ(EditText(&d, "SmeEdit"), "0");
            EXPECT_EQ(EditText(&d, "NaklonEdit"), "4096");
            EXPECT_EQ(EditText(&d, "Val4MAEdit"), "0");
            EXPECT_EQ(EditText(&d, "Val20MAEdit"), "100");
            SetEdit(&d, "SmeEdit", "30001");
        } else {
            EXPECT_EQ(EditText(&d, "SmeEdit"), "30001");  // comes back as typed
            SetEdit(&d, "SmeEdit", "-20");
            SetEdit(&d, "Val20MAEdit", "150,5");
        }
        Click(&d, "OkBitBtn");
    };
    RunMenuCommand(b.state, menu::DACParams);
    EXPECT_EQ(shown, 2);
    auto& settings = b.device->profile().settings;
    EXPECT_EQ(settings.at(7), static_cast<std::uint32_t>(-20));
    EXPECT_EQ(settings.at(1), std::bit_cast<std::uint32_t>(150.5f));
    EXPECT_EQ(b.boxTexts().back(), "Данные успешно записаны!");
}

TEST(DacSettingsGui, PwmMenuButtonsAndTheOutputRangeForm) {
    UiBench b("rev6-hw1");
    b.writeSettings("num_port=1\r\nshort_addr=0\r\n");
    b.start();
    int menus = 0;
    b.ui.onDialogShown = [&](QDialog& d) {
        if (d.objectName() == "TSelectPWMDoingsForm") {
            EXPECT_EQ(FromQ(d.windowTitle()), "Работа с калибровкой ШИМ");
            auto* range = Child<QPushButton>(&d, "DacSettingsBtn");
            ASSERT_NE(range, nullptr);
            EXPECT_EQ(FromQ(range->text()), "Настройки ЦАП (ШИМ)");
            Click(&d, ++menus == 1 ? "DacSettingsBtn" : "CancelBitBtn");
        } else if (d.objectName() == "TDACKatPotForm") {
            EXPECT_TRUE(Child<QLineEdit>(&d, "SmeEdit")->isHidden());
            EXPECT_TRUE(Child<QLabel>(&d, "NaklonLabel")->isHidden());
            EXPECT_EQ(FromQ(Child<QLabel>(&d, "Val4MALabel")->text()), "Значение величины, соответствующее 0.8 В");
            SetEdit(&d, "Val4MAEdit", "-50");
            Click(&d, "OkBitBtn");
        } else {
            d.accept();  // the identity window
        }
    };
    RunMenuCommand(b.state, menu::DACParams);
    EXPECT_EQ(menus, 2);
    EXPECT_EQ(b.device->profile().settings.at(17), std::bit_cast<std::uint32_t>(-50.0f));
}

TEST(DacSettingsGui, RecordVariantThroughTheForm) {
    UiBench b("rev3");
    b.writeSettings("num_port=1\r\nshort_addr=0\r\n");
    b.start();
    b.ui.onDialogShown = [&](QDialog& d) {
        if (d.objectName() != "TDACForm") return d.accept();  // the identity window
        EXPECT_EQ(FromQ(d.windowTitle()), "Настройки ЦАП");
        EXPECT_EQ(EditText(&d, "NaklonEdit"), "655.36");
        EXPECT_EQ(FromQ(Child<QLabel>(&d, "Label3")->text()), "Для датчика (-40 - +60) = 655.36");
        SetEdit(&d, "SmeEdit", "100");
        Click(&d, "OkBitBtn");
    };
    RunMenuCommand(b.state, menu::DACParams);
    EXPECT_EQ(b.boxTexts().back(), "Данные были успешно отправлены и приняты к исполнению!");
    EXPECT_EQ(b.device->blockByte(124), (100 + 16384) & 0xFF);
}

TEST(PwmCalibrationGui, WindowShowsAbsentValuesAndTheFeedbackBox) {
    UiBench b("rev6");
    b.writeSettings("num_port=1\r\nshort_addr=0\r\n");
    b.start();
    b.device->profile().settings.erase(0);
    b.device->profile().settings.erase(5);
    int shown = 0;
    b.ui.onDialogShown = [&](QDialog& d) {
        if (d.objectName() == "TSelectPWMDoingsForm") {
            Click(&d, shown == 0 ? "EditCalibrBtn" : "CancelBitBtn");
            return;
        }
        if (d.objectName() != "TShowPWMCalibrForm") return d.accept();
        ++shown;
        EXPECT_EQ(FromQ(d.windowTitle()), "Точки калибровки ШИМ");
        EXPECT_EQ(EditText(&d, "Skvagn1Edit"), "Не задана");
        EXPECT_EQ(EditText(&d, "AD2CodeEdit"), "Не задан");
        EXPECT_EQ(EditText(&d, "Tok1Edit"), "4.00000");
        EXPECT_EQ(EditText(&d, "AD1CodeEdit"), "1000");
        EXPECT_FALSE(Child<QGroupBox>(&d, "FeedbackCoefGroupBox")->isHidden());
        EXPECT_EQ(EditText(&d, "FeedbackEdit"), "0.50000");
        Click(&d, "CancelBitBtn");
    };
    RunMenuCommand(b.state, menu::DACParams);
    EXPECT_EQ(shown, 1);
}

TEST(PwmCalibrationGui, MeasuringWindowCountsAndStops) {
    UiBench b("rev6");
    b.writeSettings("num_port=1\r\nshort_addr=0\r\n");
    auto& form = b.start();
    form.show();
    b.ui.onDialogShown = [](QDialog& d) { d.accept(); };  // the identity window
    std::uint32_t code = 0;
    QTimer stopper;
    stopper.setInterval(5);
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        auto* w = form.findChild<QWidget*>("TCalibrovkaForm");
        if (!w) return;
        auto* requests = Child<QLabel>(w, "ZaprosovLabel");
        if (requests && requests->text().toInt() >= 3) Click(w, "StopBitBtn");
    });
    stopper.start();
    WithPortOpen(b.state, [&] {
        ASSERT_TRUE(ensureIdentified(b.state));
        code = MeasureFeedbackCode(b.state);
    });
    stopper.stop();
    // Setting 21 follows no fixed duty: the middle of the device's range.
    EXPECT_NEAR(static_cast<double>(code), 1000 + (0.45 - 0.1) * 8000 / 0.7, 20);
}

}  // namespace
}  // namespace quillon::uitest
