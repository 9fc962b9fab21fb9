#include "ui/select_request_form.h"

#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/qt_text.h"
#include "ui/radio_group.h"

namespace quillon::ui {

TSelectRequestForm::TSelectRequestForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TSelectRequestForm");
    auto* layout = new QVBoxLayout(this);
    group_ = new RadioGroup("RadioGroup1", "Номер HART-запроса :", 1, this);
    group_->setItems({"Запрос 1 (только первичная переменная)", "Запрос 3 (все переменные)"});
    layout->addWidget(group_);
    AddOkCancel(this, layout);
}

void TSelectRequestForm::load(const RequestChoiceDialog& dialog) {
    setWindowTitle(ToQ(dialog.caption));
    group_->setItemIndex(dialog.choice);
}

void TSelectRequestForm::store(RequestChoiceDialog& dialog) const { dialog.choice = group_->itemIndex(); }

}  // namespace quillon::ui
