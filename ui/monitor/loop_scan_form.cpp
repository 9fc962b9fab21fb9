#include "ui/monitor/loop_scan_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "ui/qt_text.h"

namespace quillon::ui {

namespace {

constexpr int kVariantColumn = 3;  // the longest text of a row
// The window manager's frame around a window not yet shown.
constexpr int kFrameAllowance = 16;

}  // namespace

TLoopScanForm::TLoopScanForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TLoopScanForm");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    wideRange_ = new QCheckBox("Адреса 0-63", this);
    wideRange_->setObjectName("WideRangeCheckBox");
    start_ = new QPushButton("Начать поиск", this);
    start_->setObjectName("StartBitBtn");
    stop_ = new QPushButton("Стоп", this);
    stop_->setObjectName("StopBitBtn");
    top->addWidget(wideRange_);
    top->addStretch(1);
    top->addWidget(start_);
    top->addWidget(stop_);
    layout->addLayout(top);

    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName("ProgressBar");
    progressLabel_ = new QLabel(this);
    progressLabel_->setObjectName("ProgressLabel");
    layout->addWidget(progressBar_);
    layout->addWidget(progressLabel_);

    table_ = new QTableWidget(0, 5, this);
    table_->setObjectName("DevicesGrid");
    table_->setHorizontalHeaderLabels({"Короткий адрес", "Длинный адрес", "Версии", "Вариант", "Тег"});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    // A narrowed cell reads on one line, elided, rather than cut after its second.
    table_->setWordWrap(false);
    layout->addWidget(table_, 1);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    ok_ = new QPushButton("Выбрать", this);
    ok_->setObjectName("OkBitBtn");
    close_ = new QPushButton("Закрыть", this);
    close_->setObjectName("CloseBitBtn");
    row->addWidget(ok_);
    row->addWidget(close_);
    layout->addLayout(row);

    connect(start_, &QPushButton::clicked, this, &TLoopScanForm::startClick);
    connect(stop_, &QPushButton::clicked, this, &TLoopScanForm::stopClick);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(close_, &QPushButton::clicked, this, &TLoopScanForm::reject);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &TLoopScanForm::updateButtons);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this] {
        if (record_ && !record_->running) accept();
    });
    resize(820, 380);
    fitColumns(false);  // the headers are whole before any result arrives
}

void TLoopScanForm::load(LoopScanDialog& dialog) {
    record_ = &dialog;
    setWindowTitle(ToQ(dialog.caption));
    wideRange_->setChecked(dialog.wideRange);
    // The record tells the window whenever the scan moves on.
    dialog.changed = [this] { showRecord(); };
    showRecord();
}

void TLoopScanForm::store(LoopScanDialog& dialog) const {
    const auto rows = table_->selectionModel()->selectedRows();
    dialog.selectedRow = rows.isEmpty() ? -1 : rows.front().row();
    dialog.changed = nullptr;
}

void TLoopScanForm::showRecord() {
    if (!record_) return;
    const auto& rows = record_->rows;
    if (table_->rowCount() != static_cast<int>(rows.size())) {
        table_->setRowCount(static_cast<int>(rows.size()));
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const auto& r = rows[i];
            const QString cells[] = {QString::number(r.shortAddress), ToQ(LoopScanLongAddressText(r)),
                                     ToQ(LoopScanRevisionsText(r)), ToQ(r.variant), r.tag ? ToQ(*r.tag) : "-"};
            for (int c = 0; c < 5; ++c) {
                auto* item = new QTableWidgetItem(cells[c]);
                item->setToolTip(cells[c]);  // the whole text of a cell narrowed to fit
                table_->setItem(static_cast<int>(i), c, item);
            }
        }
        fitColumns(true);
    }
    progressBar_->setRange(0, std::max(1, record_->progressTotal));
    progressBar_->setValue(record_->progressDone);
    progressLabel_->setText(ToQ(record_->progressText));
    updateButtons();
}

// Every column as wide as its contents, the window widened to show them all
// as far as its screen allows. What is still missing comes off the variant,
// which then reads elided (whole in its tooltip): the tag stays in view.
void TLoopScanForm::fitColumns(bool widenWindow) {
    QHeaderView* header = table_->horizontalHeader();
    const QAbstractItemView* view = table_;  // the table keeps its override of the hint protected
    std::vector<int> natural;
    int total = 0;
    for (int c = 0; c < table_->columnCount(); ++c) {
        natural.push_back(std::max(view->sizeHintForColumn(c), header->sectionSizeHint(c)));
        total += natural.back();
    }
    const QMargins margins = layout()->contentsMargins();
    // The vertical scroll bar is counted whether it shows or not: 64 rows bring it.
    const int chrome = margins.left() + margins.right() + 2 * table_->frameWidth() +
                       style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table_);
    if (widenWindow && width() < total + chrome) {
        int wanted = total + chrome;
        if (const QScreen* screen = this->screen()) {
            const int frame = isVisible() ? frameGeometry().width() - width() : kFrameAllowance;
            wanted = std::min(wanted, screen->availableGeometry().width() - frame);
        }
        if (wanted > width()) resize(wanted, height());
    }
    for (int c = 0; c + 1 < table_->columnCount(); ++c) header->resizeSection(c, natural[c]);
    const int shortBy = total - (width() - chrome);
    if (shortBy > 0)
        header->resizeSection(kVariantColumn,
                              std::max(header->sectionSizeHint(kVariantColumn), natural[kVariantColumn] - shortBy));
}

void TLoopScanForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitColumns(false);
}

void TLoopScanForm::updateButtons() {
    const bool running = record_ && record_->running;
    start_->setEnabled(!running);
    wideRange_->setEnabled(!running);
    stop_->setEnabled(running);
    close_->setEnabled(true);
    ok_->setEnabled(!running && !table_->selectionModel()->selectedRows().isEmpty());
}

void TLoopScanForm::startClick() {
    if (!record_ || record_->running || !record_->scan) return;
    record_->wideRange = wideRange_->isChecked();
    table_->setRowCount(0);
    record_->scan(*record_);
    showRecord();
    if (closeAfterScan_) QTimer::singleShot(0, this, [this] { QDialog::reject(); });
}

void TLoopScanForm::stopClick() {
    if (record_ && record_->running && record_->stop) record_->stop();
}

void TLoopScanForm::reject() {
    // Esc during a scan stops the scan and keeps what it found on screen.
    if (record_ && record_->running) {
        stopClick();
        return;
    }
    QDialog::reject();
}

void TLoopScanForm::closeEvent(QCloseEvent* event) {
    // The close box during a scan stops it; the window goes once it has ended.
    if (record_ && record_->running) {
        closeAfterScan_ = true;
        stopClick();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace quillon::ui
