#include "ui/identity_form.h"

#include <QLabel>
#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/qt_text.h"

namespace quillon::ui {

TLongAddrForm::TLongAddrForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TLongAddrForm");
    auto* layout = new QVBoxLayout(this);
    for (size_t i = 0; i < labels_.size(); ++i) {
        labels_[i] = new QLabel(this);
        labels_[i]->setObjectName(QString("Label%1").arg(i + 1));
        layout->addWidget(labels_[i]);
    }
    // The long address itself stands out from the revision lines.
    QFont big = labels_[0]->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    labels_[0]->setFont(big);
    labels_[0]->setAlignment(Qt::AlignCenter);
    auto* row = new QHBoxLayout;
    row->addStretch();
    AddDialogButton(this, row, "OkBitBtn", "OK", true);
    row->addStretch();
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TLongAddrForm::load(const IdentityWindow& window) {
    setWindowTitle(ToQ(window.caption));
    for (size_t i = 0; i < labels_.size(); ++i) labels_[i]->setText(ToQ(window.labels[i]));
    labels_[4]->setVisible(window.label5Visible);
}

}  // namespace quillon::ui
