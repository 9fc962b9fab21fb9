#include "ui/frontend/dac_kat_pot_form.h"

#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/frontend/output_form_parts.h"
#include "ui/qt_text.h"

namespace quillon::ui {

TDACKatPotForm::TDACKatPotForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TDACKatPotForm");
    auto* layout = new QVBoxLayout(this);
    smeLabel_ = AddCaption(this, layout, "SmeLabel");
    sme_ = AddEdit(this, layout, "SmeEdit");
    label1_ = AddCaption(this, layout, "Label1");
    label2_ = AddCaption(this, layout, "Label2");
    naklonLabel_ = AddCaption(this, layout, "NaklonLabel");
    naklon_ = AddEdit(this, layout, "NaklonEdit");
    val4Label_ = AddCaption(this, layout, "Val4MALabel");
    val4_ = AddEdit(this, layout, "Val4MAEdit");
    val20Label_ = AddCaption(this, layout, "Val20MALabel");
    val20_ = AddEdit(this, layout, "Val20MAEdit");
    AddOkCancel(this, layout);
}

void TDACKatPotForm::load(const DacScalingDialog& d) {
    setWindowTitle(ToQ(d.caption));
    smeLabel_->setText(ToQ(d.offsetLabel));
    label1_->setText(ToQ(d.label1));
    label2_->setText(ToQ(d.label2));
    naklonLabel_->setText(ToQ(d.slopeLabel));
    val4Label_->setText(ToQ(d.lowValueLabel));
    val20Label_->setText(ToQ(d.highValueLabel));
    for (QWidget* w :
         {static_cast<QWidget*>(smeLabel_), static_cast<QWidget*>(sme_), static_cast<QWidget*>(label1_),
          static_cast<QWidget*>(label2_), static_cast<QWidget*>(naklonLabel_), static_cast<QWidget*>(naklon_)})
        w->setVisible(d.scalingVisible);
    sme_->setText(ToQ(d.offset));
    naklon_->setText(ToQ(d.slope));
    val4_->setText(ToQ(d.lowValue));
    val20_->setText(ToQ(d.highValue));
}

void TDACKatPotForm::store(DacScalingDialog& d) const {
    d.offset = FromQ(sme_->text());
    d.slope = FromQ(naklon_->text());
    d.lowValue = FromQ(val4_->text());
    d.highValue = FromQ(val20_->text());
}

}  // namespace quillon::ui
