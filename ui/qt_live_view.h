#pragma once

#include <QPointer>

#include "link/live_view.h"

class QMdiSubWindow;

namespace quillon::ui {

class LiveForm;

// The core's handle on a polling window. The window may be closed by the user
// at any time; the handle then keeps working and does nothing. Destroying the
// handle destroys the window.
class QtLiveView : public LiveView {
public:
    QtLiveView(QMdiSubWindow* subWindow, LiveForm* form);
    ~QtLiveView() override;

    void setCaption(const std::string& caption) override;
    void setText(const std::string& component, const std::string& text) override;
    void setVisible(const std::string& component, bool visible) override;
    void show() override;
    void addTrendPoint(double seconds, double value) override;
    void clearTrend() override;
    void placeBelow(const std::string& component, const std::string& anchor) override;
    void waitForClose() override;

    LiveForm* form() const { return form_; }

private:
    QPointer<QMdiSubWindow> subWindow_;
    QPointer<LiveForm> form_;
};

}  // namespace quillon::ui
