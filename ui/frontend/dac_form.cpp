#include "ui/frontend/dac_form.h"

#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/frontend/output_form_parts.h"
#include "ui/qt_text.h"

namespace quillon::ui {

TDACForm::TDACForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TDACForm");
    auto* layout = new QVBoxLayout(this);
    smeLabel_ = AddCaption(this, layout, "SmeLabel");
    sme_ = AddEdit(this, layout, "SmeEdit");
    label1_ = AddCaption(this, layout, "Label1");
    label2_ = AddCaption(this, layout, "Label2");
    naklonLabel_ = AddCaption(this, layout, "NaklonLabel");
    naklon_ = AddEdit(this, layout, "NaklonEdit");
    label3_ = AddCaption(this, layout, "Label3");
    AddOkCancel(this, layout);
}

void TDACForm::load(const DacRecordDialog& d) {
    setWindowTitle(ToQ(d.caption));
    smeLabel_->setText(ToQ(d.offsetLabel));
    label1_->setText(ToQ(d.label1));
    label2_->setText(ToQ(d.label2));
    naklonLabel_->setText(ToQ(d.slopeLabel));
    label3_->setText(ToQ(d.label3));
    sme_->setText(ToQ(d.offset));
    naklon_->setText(ToQ(d.slope));
}

void TDACForm::store(DacRecordDialog& d) const {
    d.offset = FromQ(sme_->text());
    d.slope = FromQ(naklon_->text());
}

}  // namespace quillon::ui
