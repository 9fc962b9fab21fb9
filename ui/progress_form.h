#pragma once

#include <QDialog>

class QLabel;

namespace quillon::ui {

// The small modeless window that shows which request is running and its attempt.
class TNowOprosForm : public QDialog {
    Q_OBJECT
public:
    explicit TNowOprosForm(QWidget* parent = nullptr);
    void showWithText(const QString& text);
    void setText(const QString& text);
    QString text() const;

protected:
    // The window closes only when the operation ends, never by the user.
    void reject() override {}
    void closeEvent(QCloseEvent* event) override;

private:
    void centreOnScreen();
    QLabel* label_;
};

}  // namespace quillon::ui
