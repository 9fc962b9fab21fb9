#include "ui/frontend/fixed_output_form.h"

#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/frontend/output_form_parts.h"
#include "ui/qt_text.h"
#include "ui/radio_group.h"

namespace quillon::ui {

TFixTokForm::TFixTokForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TFixTokForm");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QVBoxLayout(this);
    mode_ = new RadioGroup("FixedModeRadioGroup", "Действия :", 1, this);
    layout->addWidget(mode_);
    tokLabel_ = AddCaption(this, layout, "TokLabel");
    tok_ = AddEdit(this, layout, "FixedTokEdit");
    AddOkCancel(this, layout);
    connect(mode_, &RadioGroup::itemIndexChanged, this, &TFixTokForm::modeChanged);
}

void TFixTokForm::modeChanged(int index) {
    tok_->setEnabled(index == 1);
    tokLabel_->setEnabled(index == 1);
}

void TFixTokForm::load(const FixTokDialog& d) {
    setWindowTitle(ToQ(d.caption));
    mode_->setTitle(ToQ(d.modeTitle));
    QStringList items;
    for (const std::string& m : d.modes) items << ToQ(m);
    mode_->setItems(items);
    mode_->setItemIndex(d.mode);
    tokLabel_->setText(ToQ(d.valueLabel));
    tok_->setText(ToQ(d.value));
    modeChanged(d.mode);
}

void TFixTokForm::store(FixTokDialog& d) const {
    d.mode = mode_->itemIndex();
    d.value = FromQ(tok_->text());
}

}  // namespace quillon::ui
