#include "ui/select_channel_form.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/qt_text.h"

namespace quillon::ui {

TSelectChannelForm::TSelectChannelForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TSelectChannelForm");
    auto* layout = new QVBoxLayout(this);

    auto* active = new QGroupBox("Активные каналы : ", this);
    active->setObjectName("GroupBox1");
    auto* activeLayout = new QVBoxLayout(active);
    // The check boxes' names are spelled as the other windows and tests address them.
    channel0Box_ = new QCheckBox("Канал 1 (АЦП)", active);
    channel0Box_->setObjectName("Challel0CheckBox");
    channel1Box_ = new QCheckBox("Канал 2 (I2C)", active);
    channel1Box_->setObjectName("Challel1CheckBox");
    activeLayout->addWidget(channel0Box_);
    activeLayout->addWidget(channel1Box_);
    layout->addWidget(active);

    auto* main = new QGroupBox("Основной канал : ", this);
    main->setObjectName("GroupBox2");
    auto* mainLayout = new QVBoxLayout(main);
    channel0Radio_ = new QRadioButton("Канал 1 (АЦП)", main);
    channel0Radio_->setObjectName("Channel0RadioButton");
    channel1Radio_ = new QRadioButton("Канал 2 (I2C)", main);
    channel1Radio_->setObjectName("Channel1RadioButton");
    mainLayout->addWidget(channel0Radio_);
    mainLayout->addWidget(channel1Radio_);
    layout->addWidget(main);

    ok_ = AddOkCancel(this, layout);

    connect(channel0Box_, &QCheckBox::toggled, this, &TSelectChannelForm::updateEnabling);
    connect(channel1Box_, &QCheckBox::toggled, this, &TSelectChannelForm::updateEnabling);
}

void TSelectChannelForm::updateEnabling() {
    channel0Box_->setEnabled(editable_);
    channel1Box_->setEnabled(editable_);
    // A channel can be chosen as main only while it is ticked as active.
    channel0Radio_->setEnabled(editable_ && channel0Box_->isChecked());
    channel1Radio_->setEnabled(editable_ && channel1Box_->isChecked());
}

void TSelectChannelForm::load(const ChannelDialog& dialog) {
    setWindowTitle(ToQ(dialog.caption));
    editable_ = dialog.editable;
    channel0Box_->setChecked(dialog.channel1Active);
    channel1Box_->setChecked(dialog.channel2Active);
    (dialog.mainChannel == 1 ? channel1Radio_ : channel0Radio_)->setChecked(true);
    ok_->setVisible(editable_);
    // The read-only window only shows the channels: its one button closes it.
    if (auto* cancel = findChild<QPushButton*>("CancelBitBtn"))
        cancel->setText(editable_ ? StandardButtonText("Cancel") : QStringLiteral("Закрыть"));
    updateEnabling();
}

void TSelectChannelForm::store(ChannelDialog& dialog) const {
    dialog.channel1Active = channel0Box_->isChecked();
    dialog.channel2Active = channel1Box_->isChecked();
    dialog.mainChannel = channel1Radio_->isChecked() ? 1 : 0;
}

}  // namespace quillon::ui
