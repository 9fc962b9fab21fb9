#pragma once

#include <QWidget>

class QEventLoop;

namespace quillon {
struct InterruptFlags;
}

namespace quillon::ui {

// Base of the windows a polling loop keeps up to date. Components are found by
// objectName; Stop and closing the window raise stopRequested, so the running
// exchange ends at its next check.
class LiveForm : public QWidget {
    Q_OBJECT
public:
    LiveForm(InterruptFlags* flags, QWidget* parent);
    ~LiveForm() override;

    // False when no component has that name.
    virtual bool setComponentText(const QString& name, const QString& text);
    virtual bool setComponentVisible(const QString& name, bool visible);
    bool placeBelow(const QString& name, const QString& anchor);
    virtual void addTrendPoint(double, double) {}
    virtual void clearTrend() {}

    // Runs a local event loop until the button is pressed or the window closed.
    void waitForClose();
    bool isClosed() const { return closed_; }

public slots:
    // The window's button: Stop while the loop runs, Exit afterwards.
    void buttonClicked();

protected:
    void closeEvent(QCloseEvent* event) override;
    QWidget* component(const QString& name) const;

private:
    InterruptFlags* flags_;
    QEventLoop* closeLoop_ = nullptr;
    bool closed_ = false;
};

}  // namespace quillon::ui
