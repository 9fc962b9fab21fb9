#include "ui/calibration/get_points_form.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/qt_text.h"

namespace quillon::ui {

TGetPointsForm::TGetPointsForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TGetPointsForm");
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(this);
    label_->setObjectName("Label1");
    edit_ = new QLineEdit(this);
    edit_->setObjectName("PointsEdit");
    layout->addWidget(label_);
    layout->addWidget(edit_);
    AddOkCancel(this, layout);
}

void TGetPointsForm::load(const PointCountDialog& dialog) {
    setWindowTitle(ToQ(dialog.caption));
    label_->setText(ToQ(dialog.label));
    edit_->setText(ToQ(dialog.text));
    edit_->selectAll();
}

void TGetPointsForm::store(PointCountDialog& dialog) const { dialog.text = FromQ(edit_->text()); }

}  // namespace quillon::ui
