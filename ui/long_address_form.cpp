#include "ui/long_address_form.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/qt_text.h"

namespace quillon::ui {

TGetLongAddrForm::TGetLongAddrForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TGetLongAddrForm");
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(this);
    label_->setObjectName("Label1");
    layout->addWidget(label_);
    auto* edits = new QHBoxLayout;
    for (size_t i = 0; i < edits_.size(); ++i) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString("Edit%1").arg(i + 1));
        e->setMaxLength(2);
        e->setFixedWidth(e->fontMetrics().horizontalAdvance("WWW") + 12);
        e->setAlignment(Qt::AlignCenter);
        // Manufacturer id and device type belong to the device model and cannot change.
        e->setEnabled(i >= 2);
        edits->addWidget(e);
        edits_[i] = e;
    }
    layout->addLayout(edits);
    AddOkCancel(this, layout);
}

void TGetLongAddrForm::load(const LongAddressDialog& dialog) {
    setWindowTitle(ToQ(dialog.caption));
    label_->setText(ToQ(dialog.label));
    for (size_t i = 0; i < edits_.size(); ++i) edits_[i]->setText(ToQ(dialog.edits[i]));
}

void TGetLongAddrForm::store(LongAddressDialog& dialog) const {
    for (size_t i = 0; i < edits_.size(); ++i) dialog.edits[i] = FromQ(edits_[i]->text());
}

}  // namespace quillon::ui
