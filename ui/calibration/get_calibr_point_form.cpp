#include "ui/calibration/get_calibr_point_form.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/qt_text.h"

namespace quillon::ui {

TGetCalibrPointForm::TGetCalibrPointForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TGetCalibrPointForm");
    auto* grid = new QGridLayout(this);
    auto* adLabel = new QLabel("Код АЦП :", this);
    adLabel->setObjectName("Label1");
    auto* valueLabel = new QLabel("Значение :", this);
    valueLabel->setObjectName("Label2");
    adEdit_ = new QLineEdit(this);
    adEdit_->setObjectName("ADEdit");
    valueEdit_ = new QLineEdit(this);
    valueEdit_->setObjectName("ValueEdit");
    volts_ = new QLabel("(Вольты)", this);
    volts_->setObjectName("Label3");
    grid->addWidget(adLabel, 0, 0);
    grid->addWidget(adEdit_, 0, 1);
    grid->addWidget(valueLabel, 1, 0);
    grid->addWidget(valueEdit_, 1, 1);
    grid->addWidget(volts_, 1, 2);

    auto* row = new QHBoxLayout;
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OkBitBtn");
    ok->setDefault(true);
    continue_ = new QPushButton("Продолжить", this);
    continue_->setObjectName("ContinueBitBtn");
    stop_ = new QPushButton("Прекратить", this);
    stop_->setObjectName("StopBitBtn");
    connect(ok, &QPushButton::clicked, this, [this] { finish(CalibrationPointDialog::kOk); });
    connect(continue_, &QPushButton::clicked, this, [this] { finish(CalibrationPointDialog::kContinue); });
    connect(stop_, &QPushButton::clicked, this, [this] { finish(CalibrationPointDialog::kStop); });
    row->addWidget(ok);
    row->addWidget(continue_);
    row->addWidget(stop_);
    grid->addLayout(row, 2, 0, 1, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void TGetCalibrPointForm::finish(int result) {
    result_ = result;
    accept();
}

void TGetCalibrPointForm::load(const CalibrationPointDialog& dialog) {
    setWindowTitle(ToQ(dialog.caption));
    adEdit_->setText(ToQ(dialog.adText));
    valueEdit_->setText(ToQ(dialog.valueText));
    volts_->setVisible(dialog.voltsVisible);
    stop_->setVisible(!dialog.editMode);
    continue_->setText(dialog.editMode ? "Отмена" : "Продолжить");
}

void TGetCalibrPointForm::store(CalibrationPointDialog& dialog) const {
    dialog.adText = FromQ(adEdit_->text());
    dialog.valueText = FromQ(valueEdit_->text());
    dialog.result = result_;
}

}  // namespace quillon::ui
