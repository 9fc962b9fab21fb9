#include "ui/frontend/get_channel_form.h"

#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/qt_text.h"
#include "ui/radio_group.h"

namespace quillon::ui {

TGetChannelForm::TGetChannelForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TGetChannelForm");
    auto* layout = new QVBoxLayout(this);
    group_ = new RadioGroup("ChannelRadioGroup", "Канал :", 1, this);
    layout->addWidget(group_);
    AddOkCancel(this, layout);
}

void TGetChannelForm::load(const MeasuringChannelDialog& dialog) {
    setWindowTitle(ToQ(dialog.caption));
    QStringList items;
    for (const std::string& item : dialog.items) items << ToQ(item);
    group_->setItems(items);
    group_->setItemIndex(dialog.channel);
}

void TGetChannelForm::store(MeasuringChannelDialog& dialog) const { dialog.channel = group_->itemIndex(); }

}  // namespace quillon::ui
