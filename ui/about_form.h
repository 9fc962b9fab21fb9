#pragma once

#include <QDialog>

namespace quillon::ui {

// Program name, version and maker.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);
};

}  // namespace quillon::ui
