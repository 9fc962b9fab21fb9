#include "ui/get_serial_string_form.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/qt_text.h"

namespace quillon::ui {

TGetSerialStringForm::TGetSerialStringForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TGetSerialStringForm");
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(this);
    label_->setObjectName("Label1");
    edit_ = new QLineEdit(this);
    edit_->setObjectName("SerialStringEdit");
    edit_->setMinimumWidth(220);
    layout->addWidget(label_);
    layout->addWidget(edit_);
    AddOkCancel(this, layout);
}

void TGetSerialStringForm::load(const SerialStringDialog& dialog) {
    setWindowTitle(ToQ(dialog.caption));
    label_->setText(ToQ(dialog.label));
    edit_->setMaxLength(dialog.maxLength);
    edit_->setText(ToQ(dialog.text));
}

void TGetSerialStringForm::store(SerialStringDialog& dialog) const { dialog.text = FromQ(edit_->text()); }

}  // namespace quillon::ui
