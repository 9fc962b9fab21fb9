#include "ui/frontend/dac_form.h"

#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/frontend/output_form_parts.h"
#include "ui/qt_text.h"

namespace quillon::ui {

TDACForm::TDACForm(QWidget* parent)
    : QDialog(parent),
      layout_(new QVBoxLayout(this)),
      rows_(this, layout_),
      label3_(AddCaption(this, layout_, "Label3")) {
    setObjectName("TDACForm");
    AddOkCancel(this, layout_);
}

void TDACForm::load(const DacRecordDialog& d) {
    setWindowTitle(ToQ(d.caption));
    rows_.load(d);
    label3_->setText(ToQ(d.label3));
}

void TDACForm::store(DacRecordDialog& d) const { rows_.store(d); }

}  // namespace quillon::ui
