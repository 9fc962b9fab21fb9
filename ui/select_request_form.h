#pragma once

#include <QDialog>

#include "device/dialogs.h"

namespace quillon::ui {

class RadioGroup;

// Which HART request a poll of a two-channel device uses.
class TSelectRequestForm : public QDialog {
    Q_OBJECT
public:
    explicit TSelectRequestForm(QWidget* parent = nullptr);
    void load(const RequestChoiceDialog& dialog);
    void store(RequestChoiceDialog& dialog) const;

private:
    RadioGroup* group_;
};

}  // namespace quillon::ui
