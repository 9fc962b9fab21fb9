#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <bit>

#include "ui/qt_text.h"
#include "ui/radio_group.h"
#include "ui_bench.h"
#include "device/menu_items.h"

namespace quillon::uitest {
namespace {

using ui::FromQ;
using ui::ToQ;

// The main window on a device that has been identified already, so that a
// menu command goes straight to its own dialogs.
ui::TMainForm& Ready(UiBench& b) {
    b.writeSettings("num_port=1\r\nshort_addr=" + std::to_string(b.device->profile().shortAddress) + "\r\n");
    auto& form = b.start();
    const auto& p = b.device->profile();
    auto& id = b.state.identity;
    id.identified = true;
    id.longAddress = p.longAddress;
    id.softwareRevision = p.softwareRevision;
    id.hardwareRevision = p.hardwareRevision;
    id.deviceRevision = p.deviceRevision;
    if (p.longAddress[0] == 35 && p.longAddress[1] == 4) {
        id.densityMeter = true;
        id.densityMeterKind = p.longAddress[3] == 5 ? 1 : 2;
    }
    return form;
}

void Choose(ui::TMainForm& form, MenuItem item) {
    form.menuAction(item)->setVisible(true);
    form.menuAction(item)->trigger();
    QCoreApplication::processEvents();
}

std::string Text(QDialog& d, const char* name) {
    if (auto* e = Child<QLineEdit>(&d, name)) return FromQ(e->text());
    if (auto* l = Child<QLabel>(&d, name)) return FromQ(l->text());
    return "(missing " + std::string(name) + ")";
}

void Type(QDialog& d, const char* name, const char* text) {
    if (auto* e = Child<QLineEdit>(&d, name)) e->setText(ToQ(text));
}

bool Shown(QDialog& d, const char* name) {
    auto* w = Child<QWidget>(&d, name);
    return w && w->isVisibleTo(&d);
}

TEST(MeasParamsForm, AmbientChannelTransmitterThroughTheForm) {
    UiBench b("rev8");
    auto& form = Ready(b);
    std::string name, title, dempfLabel, feedbackLabel, dempf;
    b.ui.onDialogShown = [&](QDialog& d) {
        name = FromQ(d.objectName());
        title = FromQ(d.windowTitle());
        dempfLabel = Text(d, "DempfLabel");
        feedbackLabel = Text(d, "TimeCalibrFeedbackLabel");
        dempf = Text(d, "DempfEdit");
        Type(d, "DempfEdit", "33");
        Type(d, "TimeCalibrPEdit", "1800");
        Click(&d, "OkBitBtn");
    };
    Choose(form, menu::MeasParamsItem);
    EXPECT_EQ(name, "TMeasParamsForm");
    EXPECT_EQ(title, "Параметры измерений");
    EXPECT_EQ(dempfLabel, "Точек для усреднения (1 - 33) :");
    EXPECT_EQ(feedbackLabel, "Период опроса Tокр.среды, сек");
    EXPECT_EQ(dempf, "5");
    EXPECT_EQ(b.boxTexts(), std::vector<std::string>{"Данные успешно записаны!"});
    EXPECT_EQ(b.device->profile().settings.at(14), 33u);
    EXPECT_EQ(b.device->profile().settings.at(12), 1800u);
}

TEST(MeasParamsForm, I2cChannelHidesDamping) {
    UiBench b("rev16");
    auto& form = Ready(b);
    b.state.identity.channelConfig = {0, 0x03, 0, 0};
    bool dempfShown = true, labelShown = true;
    b.ui.onDialogShown = [&](QDialog& d) {
        if (d.objectName() == "TGetChannelForm") {
            Child<ui::RadioGroup>(&d, "ChannelRadioGroup")->button(1)->click();
            Click(&d, "OkBitBtn");
            return;
        }
        dempfShown = Shown(d, "DempfEdit");
        labelShown = Shown(d, "DempfLabel");
        Click(&d, "CancelBitBtn");
    };
    Choose(form, menu::MeasParamsItem);
    EXPECT_FALSE(dempfShown);
    EXPECT_FALSE(labelShown);
}

TEST(MeasParamsMultitForm, FourValuesThroughTheForm) {
    UiBench b("rev15");
    auto& form = Ready(b);
    std::vector<std::string> shown;
    b.ui.onDialogShown = [&](QDialog& d) {
        EXPECT_EQ(d.objectName(), "TMeasParamsMultitForm");
        for (const char* e : {"DempfEdit", "TimeCalibrPEdit", "TimeMeasureTokrEdit", "TimeCalibrTokrEdit"})
            shown.push_back(Text(d, e));
        Type(d, "TimeCalibrTokrEdit", "240");
        Click(&d, "OkBitBtn");
    };
    Choose(form, menu::MeasParamsItem);
    EXPECT_EQ(shown, (std::vector<std::string>{"25", "900", "5", "120"}));
    EXPECT_EQ(b.device->profile().settings.at(4), 240u);
}

TEST(KatPotParamsForm, ShuntGroupFollowsTheOutputAndPresetsFillTheValue) {
    UiBench b("rev7");
    auto& form = Ready(b);
    int presetItem = -1;
    std::string presetText, chosenText;
    bool shuntShownForCurrent = false, shuntShownForVoltage = true;
    b.ui.onDialogShown = [&](QDialog& d) {
        auto* unit = Child<ui::RadioGroup>(&d, "UnitRadioGroup");
        auto* shunt = Child<ui::RadioGroup>(&d, "ShuntRadioGroup");
        presetItem = shunt->itemIndex();
        presetText = Text(d, "ShuntValueEdit");
        shuntShownForCurrent = Shown(d, "ShuntRadioGroup") && Shown(d, "ShuntValueEdit");
        unit->button(0)->click();
        shuntShownForVoltage = Shown(d, "ShuntRadioGroup") || Shown(d, "ShuntValueEdit");
        unit->button(1)->click();
        shunt->button(0)->click();
        chosenText = Text(d, "ShuntValueEdit");
        Click(&d, "OkBitBtn");
    };
    Choose(form, menu::MeasParamsItem);
    EXPECT_EQ(presetItem, 2);
    EXPECT_EQ(presetText, "0.00075");
    EXPECT_TRUE(shuntShownForCurrent);
    EXPECT_FALSE(shuntShownForVoltage);
    EXPECT_EQ(chosenText, "0.0015");
    EXPECT_EQ(b.device->profile().settings.at(8), std::bit_cast<std::uint32_t>(0.0015f));
    EXPECT_EQ(b.boxTexts(), std::vector<std::string>{"Данные успешно записаны!"});
}

TEST(ChangeMeasParamsForm, CountThroughTheSpinEdit) {
    UiBench b("rev4");
    auto& form = Ready(b);
    int shown = 0;
    b.ui.onDialogShown = [&](QDialog& d) {
        EXPECT_EQ(d.objectName(), "TChangeMeasParamsForm");
        EXPECT_EQ(FromQ(d.windowTitle()), "Изменение параметра измерений");
        auto* spin = Child<QSpinBox>(&d, "CSpinEdit1");
        shown = spin->value();
        EXPECT_EQ(spin->minimum(), 1);
        EXPECT_EQ(spin->maximum(), 255);
        spin->setValue(77);
        Click(&d, "OkBitBtn");
    };
    Choose(form, menu::MeasParamsItem);
    EXPECT_EQ(shown, 32);
    EXPECT_EQ(b.device->profile().measurementCount, 77);
    EXPECT_EQ(b.boxTexts(), std::vector<std::string>{"Параметры были успешно записаны!"});
}

// The fit window opens where the correction window is, and its accepted result
// replaces both fields before the correction is written.
TEST(GetPopravkaForm, FitThroughBothForms) {
    UiBench b("rev6");
    auto& form = Ready(b);
    b.answers = {MessageAnswer::Ok};
    QPoint correctionAt, fitAt;
    std::string before1, before2, after1, after2, fitTitle;
    b.ui.onDialogShown = [&](QDialog& d) {
        if (d.objectName() == "TPodborCoefForm") {
            fitAt = d.pos();
            fitTitle = FromQ(d.windowTitle());
            Type(d, "Real1Edit", "-38");
            Type(d, "Real2Edit", "62");
            Click(&d, "OkBitBtn");
            return;
        }
        ASSERT_EQ(d.objectName(), "TGetPopravkaForm");
        d.move(120, 90);
        correctionAt = d.pos();
        before1 = Text(d, "Edit1");
        before2 = Text(d, "Edit2");
        Click(&d, "PodborButton");
        after1 = Text(d, "Edit1");
        after2 = Text(d, "Edit2");
        Click(&d, "OkBitBtn");
    };
    Choose(form, menu::ValueCorrection);
    EXPECT_EQ(before1, "0.000000");
    EXPECT_EQ(before2, "1.000000");
    EXPECT_EQ(fitTitle, "Подбор коэффициентов");
    EXPECT_EQ(fitAt, correctionAt);
    EXPECT_EQ(after1, "-2.0000");
    EXPECT_EQ(after2, "1.0000");
    EXPECT_EQ(b.boxTexts(),
              (std::vector<std::string>{"Требуемое смещение = -2.000, требуемый наклон = 1.000. Принять эти значения?",
                                        "Данные успешно записаны!"}));
    EXPECT_EQ(b.device->profile().settings.at(15), std::bit_cast<std::uint32_t>(-2.0f));
}

TEST(PlotnoConstForm, SecondGenerationShowsModeAndFactor) {
    UiBench b("density6");
    auto& form = Ready(b);
    bool typeShown = false, mnogShown = false, useTShown = true, useMul = false;
    std::string temper, mnog, period;
    b.ui.onDialogShown = [&](QDialog& d) {
        EXPECT_EQ(d.objectName(), "TPlotnoConstForm");
        EXPECT_EQ(FromQ(d.windowTitle()), "Константы для плотномера");
        typeShown = Shown(d, "TypeRadioGroup");
        mnogShown = Shown(d, "MnogGroupBox");
        useTShown = Shown(d, "UseTCheckBox");
        useMul = Child<QCheckBox>(&d, "UseMulCheckBox")->isChecked();
        temper = Text(d, "TemperEdit");
        mnog = Text(d, "MnogEdit");
        period = Text(d, "PeriodEdit");
        Type(d, "MnogEdit", "2");
        Click(&d, "OkBitBtn");
    };
    Choose(form, menu::ConstPlotnomerItem);
    EXPECT_TRUE(typeShown);
    EXPECT_TRUE(mnogShown);
    EXPECT_FALSE(useTShown);
    EXPECT_TRUE(useMul);
    EXPECT_EQ(temper, "998.2");
    EXPECT_EQ(mnog, "1");
    EXPECT_EQ(period, "");
    EXPECT_EQ(b.boxTexts(), std::vector<std::string>{"Данные записаны!"});
    EXPECT_EQ(b.device->blockByte(133 + 3), 0x80);  // 2.0: exponent 0x80
}

TEST(PlotnoConstForm, NegativePeriodBringsTheFormBack) {
    UiBench b("density5");
    auto& form = Ready(b);
    int shownCount = 0;
    b.ui.onDialogShown = [&](QDialog& d) {
        ++shownCount;
        if (shownCount == 1) {
            Child<QCheckBox>(&d, "UsePerCheckBox")->setChecked(true);
            Type(d, "PeriodEdit", "-1");
            Click(&d, "OkBitBtn");
        } else {
            Click(&d, "CancelBitBtn");
        }
    };
    Choose(form, menu::ConstPlotnomerItem);
    EXPECT_EQ(shownCount, 2);
    EXPECT_EQ(b.boxTexts(), std::vector<std::string>{"Период должен быть положительным!"});
}

}  // namespace
}  // namespace quillon::uitest
