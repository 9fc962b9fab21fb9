#include "ui/preambles_form.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/qt_text.h"

namespace quillon::ui {

TPreamblesForm::TPreamblesForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TPreamblesForm");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    label_ = new QLabel(this);
    label_->setObjectName("Label1");
    edit_ = new QLineEdit(this);
    edit_->setObjectName("Edit1");
    edit_->setFixedWidth(edit_->fontMetrics().horizontalAdvance("00000") + 12);
    top->addWidget(label_);
    top->addWidget(edit_);
    layout->addLayout(top);
    AddOkCancel(this, layout);
}

void TPreamblesForm::load(const PreamblesDialog& dialog) {
    setWindowTitle(ToQ(dialog.caption));
    label_->setText(ToQ(dialog.label));
    edit_->setText(ToQ(dialog.text));
}

void TPreamblesForm::store(PreamblesDialog& dialog) const { dialog.text = FromQ(edit_->text()); }

}  // namespace quillon::ui
