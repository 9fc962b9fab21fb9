#include "ui/device_settings/meas_params_forms.h"

#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/device_settings/field_rows.h"
#include "ui/dialog_buttons.h"
#include "ui/qt_text.h"
#include "ui/radio_group.h"

namespace quillon::ui {

TMeasParamsForm::TMeasParamsForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TMeasParamsForm");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    dempfEdit_ = AddEditRow(this, grid, "DempfLabel", {}, "DempfEdit", &dempfLabel_);
    timeCalibrPEdit_ =
        AddEditRow(this, grid, "TimeCalibrPLabel", "Период калибровки основного канала, сек :", "TimeCalibrPEdit");
    feedbackEdit_ = AddEditRow(this, grid, "TimeCalibrFeedbackLabel", {}, "TimeCalibrFeedbackEdit", &feedbackLabel_);
    layout->addLayout(grid);
    AddOkCancel(this, layout);
}

void TMeasParamsForm::load(const MeasParamsDialog& d) {
    setWindowTitle(ToQ(d.caption));
    dempfLabel_->setText(ToQ(d.dempfLabel));
    dempfLabel_->setVisible(d.dempfVisible);
    dempfEdit_->setVisible(d.dempfVisible);
    dempfEdit_->setText(ToQ(d.dempfText));
    timeCalibrPEdit_->setText(ToQ(d.timeCalibrPText));
    feedbackLabel_->setText(ToQ(d.timeCalibrFeedbackLabel));
    feedbackEdit_->setText(ToQ(d.timeCalibrFeedbackText));
}

void TMeasParamsForm::store(MeasParamsDialog& d) const {
    d.dempfText = FromQ(dempfEdit_->text());
    d.timeCalibrPText = FromQ(timeCalibrPEdit_->text());
    d.timeCalibrFeedbackText = FromQ(feedbackEdit_->text());
}

TMeasParamsMultitForm::TMeasParamsMultitForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TMeasParamsMultitForm");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    dempfEdit_ = AddEditRow(this, grid, "DempfLabel", {}, "DempfEdit", &dempfLabel_);
    timeCalibrPEdit_ =
        AddEditRow(this, grid, "TimeCalibrPLabel", "Период калибровки основного канала, сек :", "TimeCalibrPEdit");
    timeMeasureTokrEdit_ =
        AddEditRow(this, grid, "TimeMeasureTokrLabel", "Период опроса Tокр.среды, сек :", "TimeMeasureTokrEdit");
    timeCalibrTokrEdit_ =
        AddEditRow(this, grid, "TimeCalibrTokrLabel", "Время калибровки Tокр.среды, сек :", "TimeCalibrTokrEdit");
    layout->addLayout(grid);
    AddOkCancel(this, layout);
}

void TMeasParamsMultitForm::load(const MeasParamsMultitDialog& d) {
    setWindowTitle(ToQ(d.caption));
    dempfLabel_->setText(ToQ(d.dempfLabel));
    dempfEdit_->setText(ToQ(d.dempfText));
    timeCalibrPEdit_->setText(ToQ(d.timeCalibrPText));
    timeMeasureTokrEdit_->setText(ToQ(d.timeMeasureTokrText));
    timeCalibrTokrEdit_->setText(ToQ(d.timeCalibrTokrText));
}

void TMeasParamsMultitForm::store(MeasParamsMultitDialog& d) const {
    d.dempfText = FromQ(dempfEdit_->text());
    d.timeCalibrPText = FromQ(timeCalibrPEdit_->text());
    d.timeMeasureTokrText = FromQ(timeMeasureTokrEdit_->text());
    d.timeCalibrTokrText = FromQ(timeCalibrTokrEdit_->text());
}

TKatPotParamsForm::TKatPotParamsForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TKatPotParamsForm");
    auto* layout = new QVBoxLayout(this);
    unitGroup_ = new RadioGroup("UnitRadioGroup", "Тип выходной величины :", 1, this);
    unitGroup_->setItems({ToQ(kUnitItems[0]), ToQ(kUnitItems[1])});
    layout->addWidget(unitGroup_);
    shuntGroup_ = new RadioGroup("ShuntRadioGroup", "Тип шунта :", 1, this);
    QStringList shunts;
    for (const char* item : kShuntItems) shunts << ToQ(item);
    shuntGroup_->setItems(shunts);
    layout->addWidget(shuntGroup_);
    shuntValueEdit_ = new QLineEdit(this);
    shuntValueEdit_->setObjectName("ShuntValueEdit");
    layout->addWidget(shuntValueEdit_);
    AddOkCancel(this, layout);
    connect(unitGroup_, &RadioGroup::itemIndexChanged, this, &TKatPotParamsForm::unitChanged);
    connect(shuntGroup_, &RadioGroup::itemIndexChanged, this, &TKatPotParamsForm::shuntChanged);
}

void TKatPotParamsForm::unitChanged(int index) {
    shuntGroup_->setVisible(ShuntVisible(index));
    shuntValueEdit_->setVisible(ShuntVisible(index));
}

void TKatPotParamsForm::shuntChanged(int index) {
    const std::string text = StandardShuntText(index);
    if (!text.empty()) shuntValueEdit_->setText(ToQ(text));
}

void TKatPotParamsForm::load(const KatPotParamsDialog& d) {
    setWindowTitle(ToQ(d.caption));
    // The stored value first: presetting the shunt item must not overwrite it.
    shuntGroup_->blockSignals(true);
    shuntGroup_->setItemIndex(d.shunt);
    shuntGroup_->blockSignals(false);
    shuntValueEdit_->setText(ToQ(d.shuntValueText));
    unitGroup_->setItemIndex(d.unit);
    unitChanged(d.unit);
}

void TKatPotParamsForm::store(KatPotParamsDialog& d) const {
    d.unit = unitGroup_->itemIndex();
    d.shunt = shuntGroup_->itemIndex();
    d.shuntValueText = FromQ(shuntValueEdit_->text());
}

TChangeMeasParamsForm::TChangeMeasParamsForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TChangeMeasParamsForm");
    auto* layout = new QVBoxLayout(this);
    auto* label1 = new QLabel("Введите требуемое значение (1-255):", this);
    label1->setObjectName("Label1");
    layout->addWidget(label1);
    auto* label2 = new QLabel("(кол-во измерений между самокалибровками)", this);
    label2->setObjectName("Label2");
    layout->addWidget(label2);
    spin_ = new QSpinBox(this);
    spin_->setObjectName("CSpinEdit1");
    spin_->setRange(kMinMeasurementCount, kMaxMeasurementCount);
    layout->addWidget(spin_);
    AddOkCancel(this, layout);
}

void TChangeMeasParamsForm::load(const ChangeMeasParamsDialog& d) {
    setWindowTitle(ToQ(d.caption));
    spin_->setValue(d.count);
}

void TChangeMeasParamsForm::store(ChangeMeasParamsDialog& d) const {
    spin_->interpretText();
    d.count = spin_->value();
}

}  // namespace quillon::ui
