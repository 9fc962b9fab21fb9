#pragma once

#include <QWidget>
#include <memory>

#include "monitor/frame_monitor.h"

class QLabel;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace quillon {
struct AppState;
}

namespace quillon::ui {

class MonitorListModel;

// "Монитор обмена": a modeless window listing every frame and event of the
// link while it is open. It watches the link only while shown.
class TMonitorForm : public QWidget {
    Q_OBJECT
public:
    explicit TMonitorForm(AppState& state, QWidget* parent = nullptr);
    ~TMonitorForm() override;

    FrameMonitor& monitor() { return *monitor_; }
    // Takes in what was recorded since the last refresh (the timer does it too).
    void refresh();
    // The lines shown, as they would be copied or saved.
    QStringList selectedLines() const;

public slots:
    void pauseClick(bool paused);
    void clearClick();
    void copyClick();
    void saveClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showDetail(int row);

    std::unique_ptr<FrameMonitor> monitor_;
    MonitorListModel* model_;
    QListView* list_;
    QPlainTextEdit* detail_;
    QLabel* countLabel_;
    QPushButton* pause_;
    QTimer* timer_;
};

// Opens (or brings forward) the monitor window of `mainWindow`.
TMonitorForm* ShowMonitorWindow(QWidget* mainWindow, AppState& state);

}  // namespace quillon::ui
