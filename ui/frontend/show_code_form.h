#pragma once

#include "ui/live_form.h"

class QGroupBox;

namespace quillon::ui {

// The live converter codes of up to three channels. Groups the view does not
// use are hidden and the window shrinks to the ones left.
class TShowCodeForm : public LiveForm {
    Q_OBJECT
public:
    explicit TShowCodeForm(InterruptFlags* flags, QWidget* parent = nullptr);

    bool setComponentText(const QString& name, const QString& text) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitWindow();

    QGroupBox* groups_[3] = {};
    bool fitPending_ = false;
};

}  // namespace quillon::ui
