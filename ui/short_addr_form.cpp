#include "ui/short_addr_form.h"

#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/qt_text.h"

namespace quillon::ui {

TShortAddrForm::TShortAddrForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TShortAddrForm");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    label_ = new QLabel(this);
    label_->setObjectName("Label1");
    spin_ = new QSpinBox(this);
    spin_->setObjectName("ShortAddrSpinEdit");
    top->addWidget(label_);
    top->addWidget(spin_);
    layout->addLayout(top);
    ok_ = AddOkCancel(this, layout);
}

void TShortAddrForm::load(const ShortAddressDialog& dialog) {
    setWindowTitle(ToQ(dialog.caption));
    label_->setText(ToQ(dialog.label));
    ok_->setText(ToQ(dialog.okCaption));
    spin_->setRange(dialog.minimum, dialog.maximum);
    spin_->setValue(dialog.value);
}

void TShortAddrForm::store(ShortAddressDialog& dialog) const {
    // A half-typed number is interpreted (and clamped) as the spin box shows it.
    spin_->interpretText();
    dialog.value = spin_->value();
}

}  // namespace quillon::ui
