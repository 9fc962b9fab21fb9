#include "ui/frontend/dac_scaling_form.h"

#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/frontend/output_form_parts.h"
#include "ui/qt_text.h"

namespace quillon::ui {

TDACKatPotForm::TDACKatPotForm(QWidget* parent)
    : QDialog(parent),
      layout_(new QVBoxLayout(this)),
      rows_(this, layout_),
      val4Label_(AddCaption(this, layout_, "Val4MALabel")),
      val4_(AddEdit(this, layout_, "Val4MAEdit")),
      val20Label_(AddCaption(this, layout_, "Val20MALabel")),
      val20_(AddEdit(this, layout_, "Val20MAEdit")) {
    setObjectName("TDACKatPotForm");
    AddOkCancel(this, layout_);
}

void TDACKatPotForm::load(const DacScalingDialog& d) {
    setWindowTitle(ToQ(d.caption));
    rows_.load(d);
    rows_.setVisible(d.scalingVisible);
    val4Label_->setText(ToQ(d.lowValueLabel));
    val20Label_->setText(ToQ(d.highValueLabel));
    val4_->setText(ToQ(d.lowValue));
    val20_->setText(ToQ(d.highValue));
}

void TDACKatPotForm::store(DacScalingDialog& d) const {
    rows_.store(d);
    d.lowValue = FromQ(val4_->text());
    d.highValue = FromQ(val20_->text());
}

}  // namespace quillon::ui
