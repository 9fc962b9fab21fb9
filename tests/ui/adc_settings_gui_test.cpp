#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>

#include "frontend/adc_settings.h"
#include "ui/qt_text.h"
#include "ui/radio_group.h"
#include "ui_bench.h"
#include "frontend/menu_items.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;

// "Параметры АЦП ..." from the menu on the current-output device, through the
// three real forms: what each shows, what the user changes, what the device keeps.
TEST(AdcSettingsForms, MenuCommandThroughTheThreeForms) {
    UiBench b("velkor");
    b.writeSettings("num_port=1\r\nshort_addr=" + std::to_string(b.device->profile().shortAddress) + "\r\n");
    auto& form = b.start();
    form.show();
    auto& id = b.state.identity;
    const auto& p = b.device->profile();
    id.identified = true;
    id.longAddress = p.longAddress;
    id.softwareRevision = p.softwareRevision;
    id.hardwareRevision = p.hardwareRevision;
    id.deviceRevision = p.deviceRevision;

    std::vector<std::string> names;
    int presetGain = -1, presetPoints = -1, presetUnit = -1, conversionShows = 0;
    QString memo, unitLabel, typedBack;
    bool unitLabelsVisible = false;
    b.ui.onDialogShown = [&](QDialog& d) {
        names.push_back(FromQ(d.objectName()) + " " + FromQ(d.windowTitle()));
        if (d.objectName() == "TVelkorADForm") {
            auto* gain = Child<ui::RadioGroup>(&d, "CoefUsilRadioGroup");
            auto* spin = Child<QSpinBox>(&d, "CSpinEdit1");
            ASSERT_TRUE(gain && spin);
            EXPECT_EQ(gain->items(), (QStringList{"1", "2", "32", "128"}));
            presetGain = gain->itemIndex();
            presetPoints = spin->value();
            gain->button(3)->click();
            spin->setValue(7);
        } else if (d.objectName() == "TUnitsMeasureForm") {
            auto* spin = Child<QSpinBox>(&d, "CSpinEdit1");
            ASSERT_TRUE(spin);
            presetUnit = spin->value();
            if (auto* m = d.findChild<QPlainTextEdit*>()) memo = m->toPlainText();
            spin->setValue(57);
        } else if (d.objectName() == "TIValueForm") {
            auto* i0 = Child<QLineEdit>(&d, "I0Edit");
            auto* unit = Child<QLabel>(&d, "Unit1Label");
            ASSERT_TRUE(i0 && unit);
            unitLabel = unit->text();
            unitLabelsVisible = unit->isVisibleTo(&d) && Child<QLabel>(&d, "Unit2Label")->isVisibleTo(&d);
            if (++conversionShows == 1) {
                i0->setText("3,9");
            } else {
                typedBack = i0->text();
                i0->setText("4,5");
                Child<QCheckBox>(&d, "UsePreobrCheckBox")->setChecked(false);
            }
        }
        Click(&d, "OkBitBtn");
    };
    form.menuAction(menu::ADParams)->trigger();
    QCoreApplication::processEvents();

    EXPECT_EQ(names, (std::vector<std::string>{"TVelkorADForm Настройки АЦП", "TUnitsMeasureForm Единицы измерения ",
                                               "TIValueForm Пересчет из тока в значение",
                                               "TIValueForm Пересчет из тока в значение"}));
    EXPECT_EQ(presetGain, 2);
    EXPECT_EQ(presetPoints, 4);
    EXPECT_EQ(presetUnit, 39);
    EXPECT_TRUE(memo.startsWith(" 4 - мм воды\n 5 - мм ртути\n"));
    EXPECT_TRUE(memo.endsWith("57 - проценты (%)\n237 - мегаПаскали"));
    EXPECT_EQ(unitLabel, "мкс");
    EXPECT_TRUE(unitLabelsVisible);
    EXPECT_EQ(typedBack, b.state.decimalSeparator == ',' ? "3,9" : "3.9");
    EXPECT_EQ(b.boxTexts(), (std::vector<std::string>{"Данные АЦП были успешно отправлены!", "Данные успешно записаны!",
                                                      "Значение тока должно быть в диапазоне [4-20]!",
                                                      "Параметры преобразования были успешно отправлены!"}));
    const auto& conv = b.device->profile().converter;
    EXPECT_EQ((*conv.settings)[0], 3);
    EXPECT_EQ((*conv.settings)[1], 7);
    EXPECT_EQ(b.device->blockByte(109), 57);
    EXPECT_EQ((*conv.conversion)[0], 0);
    EXPECT_EQ((*conv.conversion)[1], 0x40);
    EXPECT_EQ((*conv.conversion)[2], 0x90);  // 4.5
}

}  // namespace
}  // namespace quillon::uitest
