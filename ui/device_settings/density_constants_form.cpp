#include "ui/device_settings/density_constants_form.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/qt_text.h"
#include "ui/radio_group.h"

namespace quillon::ui {

namespace {

QGroupBox* Group(QWidget* owner, const char* name, const QString& title, QLineEdit** edit, const char* editName,
                 QCheckBox** check, const char* checkName, const QString& checkText) {
    auto* group = new QGroupBox(title, owner);
    group->setObjectName(name);
    auto* l = new QVBoxLayout(group);
    *edit = new QLineEdit(group);
    (*edit)->setObjectName(editName);
    *check = new QCheckBox(checkText, group);
    (*check)->setObjectName(checkName);
    l->addWidget(*edit);
    l->addWidget(*check);
    return group;
}

}  // namespace

TPlotnoConstForm::TPlotnoConstForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TPlotnoConstForm");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Group(this, "TemperGroupBox", "Температура : ", &temperEdit_, "TemperEdit", &useTCheckBox_,
                            "UseTCheckBox", "Использовать константу для температуры"));
    layout->addWidget(Group(this, "PeriodGroupBox", "Период : ", &periodEdit_, "PeriodEdit", &usePerCheckBox_,
                            "UsePerCheckBox", "Использовать константу для периода"));
    typeRadioGroup_ = new RadioGroup("TypeRadioGroup", "Режим работы : ", 1, this);
    typeRadioGroup_->setItems({ToQ(kDensityModeItems[0]), ToQ(kDensityModeItems[1])});
    layout->addWidget(typeRadioGroup_);
    mnogGroupBox_ = Group(this, "MnogGroupBox", "Поправочный множитель : ", &mnogEdit_, "MnogEdit", &useMulCheckBox_,
                          "UseMulCheckBox", "Использовать поправочный множитель");
    layout->addWidget(mnogGroupBox_);
    AddOkCancel(this, layout);
}

void TPlotnoConstForm::load(const PlotnoConstDialog& d) {
    setWindowTitle(ToQ(d.caption));
    temperEdit_->setText(ToQ(d.temperText));
    useTCheckBox_->setVisible(d.useTVisible);
    useTCheckBox_->setChecked(d.useT);
    periodEdit_->setText(ToQ(d.periodText));
    usePerCheckBox_->setChecked(d.usePer);
    typeRadioGroup_->setVisible(d.typeVisible);
    typeRadioGroup_->setItemIndex(d.type);
    mnogGroupBox_->setVisible(d.mnogVisible);
    useMulCheckBox_->setChecked(d.useMul);
    mnogEdit_->setText(ToQ(d.mnogText));
}

void TPlotnoConstForm::store(PlotnoConstDialog& d) const {
    d.temperText = FromQ(temperEdit_->text());
    d.useT = useTCheckBox_->isChecked();
    d.periodText = FromQ(periodEdit_->text());
    d.usePer = usePerCheckBox_->isChecked();
    d.type = typeRadioGroup_->itemIndex() == 1 ? 1 : 0;
    d.useMul = useMulCheckBox_->isChecked();
    d.mnogText = FromQ(mnogEdit_->text());
}

}  // namespace quillon::ui
