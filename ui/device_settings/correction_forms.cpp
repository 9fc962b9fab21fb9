#include "ui/device_settings/correction_forms.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "ui/device_settings/field_rows.h"
#include "ui/dialog_buttons.h"
#include "ui/qt_text.h"

namespace quillon::ui {

TGetPopravkaForm::TGetPopravkaForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TGetPopravkaForm");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    edit1_ = AddEditRow(this, grid, "Label1", "Поправка (добавка), град. Цельсия :", "Edit1");
    edit2_ = AddEditRow(this, grid, "Label2", "Поправочный множитель :", "Edit2");
    layout->addLayout(grid);
    auto* podbor = new QPushButton("Подбор коэффициента", this);
    podbor->setObjectName("PodborButton");
    podbor->setAutoDefault(false);
    connect(podbor, &QPushButton::clicked, this, &TGetPopravkaForm::podborButtonClick);
    layout->addWidget(podbor);
    AddOkCancel(this, layout);
}

void TGetPopravkaForm::load(const PopravkaDialog& d) {
    record_ = d;
    setWindowTitle(ToQ(d.caption));
    edit1_->setText(ToQ(d.offsetText));
    edit2_->setText(ToQ(d.factorText));
}

void TGetPopravkaForm::store(PopravkaDialog& d) const {
    d.offsetText = FromQ(edit1_->text());
    d.factorText = FromQ(edit2_->text());
}

void TGetPopravkaForm::podborButtonClick() {
    store(record_);
    record_.left = pos().x();
    record_.top = pos().y();
    if (record_.fit) record_.fit(record_);
    edit1_->setText(ToQ(record_.offsetText));
    edit2_->setText(ToQ(record_.factorText));
}

TPodborCoefForm::TPodborCoefForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TPodborCoefForm");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    real1Edit_ = AddEditRow(this, grid, "Label1", "Реальное значение в нижней точке, °C:", "Real1Edit");
    needed1Edit_ = AddEditRow(this, grid, "Label2", "Требуемое значение в нижней точке, °C:", "Needed1Edit");
    real2Edit_ = AddEditRow(this, grid, "Label3", "Реальное значение в верхней точке, °C:", "Real2Edit");
    needed2Edit_ = AddEditRow(this, grid, "Label4", "Требуемое значение в верхней точке, °C:", "Needed2Edit");
    layout->addLayout(grid);
    AddOkCancel(this, layout);
}

void TPodborCoefForm::load(const PodborCoefDialog& d) {
    setWindowTitle(ToQ(d.caption));
    real1Edit_->setText(ToQ(d.real1Text));
    needed1Edit_->setText(ToQ(d.needed1Text));
    real2Edit_->setText(ToQ(d.real2Text));
    needed2Edit_->setText(ToQ(d.needed2Text));
    move(d.left, d.top);
}

void TPodborCoefForm::store(PodborCoefDialog& d) const {
    d.real1Text = FromQ(real1Edit_->text());
    d.needed1Text = FromQ(needed1Edit_->text());
    d.real2Text = FromQ(real2Edit_->text());
    d.needed2Text = FromQ(needed2Edit_->text());
    d.left = pos().x();
    d.top = pos().y();
}

}  // namespace quillon::ui
