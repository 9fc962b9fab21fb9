#pragma once

#include <QDialog>

#include "device/measuring_channel.h"

namespace quillon::ui {

class RadioGroup;

// Which measuring channel the next command is for.
class TGetChannelForm : public QDialog {
    Q_OBJECT
public:
    explicit TGetChannelForm(QWidget* parent = nullptr);
    void load(const MeasuringChannelDialog& dialog);
    void store(MeasuringChannelDialog& dialog) const;

private:
    RadioGroup* group_;
};

}  // namespace quillon::ui
