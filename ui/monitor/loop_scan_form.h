#pragma once

#include <QDialog>

#include "device/loop_scan.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace quillon::ui {

// "Поиск устройств на линии": starts the scan, shows its progress and the
// devices found, and lets the user pick one to talk to.
class TLoopScanForm : public QDialog {
    Q_OBJECT
public:
    explicit TLoopScanForm(QWidget* parent = nullptr);
    void load(LoopScanDialog& dialog);
    void store(LoopScanDialog& dialog) const;

public slots:
    void startClick();
    void stopClick();
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showRecord();
    void fitColumns(bool widenWindow);
    void updateButtons();

    LoopScanDialog* record_ = nullptr;
    QCheckBox* wideRange_;
    QPushButton* start_;
    QPushButton* stop_;
    QPushButton* ok_;
    QPushButton* close_;
    QTableWidget* table_;
    QLabel* progressLabel_;
    QProgressBar* progressBar_;
    bool closeAfterScan_ = false;
};

}  // namespace quillon::ui
