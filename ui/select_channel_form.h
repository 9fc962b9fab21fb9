#pragma once

#include <QDialog>

#include "device/dialogs.h"

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace quillon::ui {

// Active and main measuring channel of a two-channel device, editable or read-only.
class TSelectChannelForm : public QDialog {
    Q_OBJECT
public:
    explicit TSelectChannelForm(QWidget* parent = nullptr);
    void load(const ChannelDialog& dialog);
    void store(ChannelDialog& dialog) const;

private:
    void updateEnabling();

    bool editable_ = true;
    QCheckBox* channel0Box_;
    QCheckBox* channel1Box_;
    QRadioButton* channel0Radio_;
    QRadioButton* channel1Radio_;
    QPushButton* ok_;
};

}  // namespace quillon::ui
