#include "ui/monitor/monitor_form.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/app_state.h"
#include "monitor/monitor_file.h"
#include "monitor/monitor_pcap.h"
#include "monitor/monitor_text.h"
#include "ui/qt_text.h"

namespace quillon::ui {

namespace {

// Short enough to feel live, long enough that a poll's event processing
// spends next to nothing on the window.
constexpr int kRefreshMs = 250;
constexpr int kDetailLines = 15;

QString ShownLine(const MonitorEntry& e) {
    std::string line = EntryLine(e);
    std::replace(line.begin(), line.end(), '\t', ' ');
    return ToQ(line);
}

}  // namespace

// The ring as a list: rows are decoded only when the view asks for them.
class MonitorListModel : public QAbstractListModel {
public:
    explicit MonitorListModel(const MonitorRing& ring, QObject* parent) : QAbstractListModel(parent), ring_(ring) {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : static_cast<int>(shown_); }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid() || static_cast<std::size_t>(index.row()) >= ring_.size())
            return {};
        return ShownLine(ring_.at(static_cast<std::size_t>(index.row())));
    }
    // True when rows changed.
    bool sync() {
        if (ring_.pushed() == pushed_ && ring_.size() == shown_) return false;
        if (ring_.pushed() >= pushed_ && ring_.size() > shown_ && ring_.pushed() - pushed_ == ring_.size() - shown_) {
            // Only appended: the rows already shown keep their place and selection.
            beginInsertRows({}, static_cast<int>(shown_), static_cast<int>(ring_.size()) - 1);
            shown_ = ring_.size();
            pushed_ = ring_.pushed();
            endInsertRows();
            return true;
        }
        beginResetModel();
        shown_ = ring_.size();
        pushed_ = ring_.pushed();
        endResetModel();
        return true;
    }

private:
    const MonitorRing& ring_;
    std::size_t shown_ = 0;
    std::uint64_t pushed_ = 0;
};

TMonitorForm::TMonitorForm(AppState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), monitor_(std::make_unique<FrameMonitor>(state)) {
    setObjectName("TMonitorForm");
    setWindowTitle("Монитор обмена");
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    pause_ = new QPushButton("Пауза", this);
    pause_->setObjectName("PauseBitBtn");
    pause_->setCheckable(true);
    auto* clear = new QPushButton("Очистить", this);
    clear->setObjectName("ClearBitBtn");
    auto* copy = new QPushButton("Копировать", this);
    copy->setObjectName("CopyBitBtn");
    auto* save = new QPushButton("Сохранить ...", this);
    save->setObjectName("SaveBitBtn");
    countLabel_ = new QLabel(this);
    countLabel_->setObjectName("CountLabel");
    for (auto* b : {pause_, clear, copy, save}) row->addWidget(b);
    row->addStretch(1);
    row->addWidget(countLabel_);
    layout->addLayout(row);

    model_ = new MonitorListModel(monitor_->entries(), this);
    list_ = new QListView(this);
    list_->setObjectName("FramesList");
    list_->setModel(model_);
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list_->setTextElideMode(Qt::ElideRight);
    layout->addWidget(list_, 1);
    // The whole of the chosen entry, one part a line: list rows are cut at the window's edge.
    detail_ = new QPlainTextEdit(this);
    detail_->setObjectName("DetailMemo");
    detail_->setReadOnly(true);
    detail_->setFont(list_->font());
    // Room for every part of a usual answer (the tag's has fourteen lines)
    // without scrolling; a run of bytes wraps rather than running off sideways.
    detail_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const int frame = 2 * (detail_->frameWidth() + static_cast<int>(std::ceil(detail_->document()->documentMargin())));
    detail_->setMinimumHeight(detail_->fontMetrics().lineSpacing() * kDetailLines + frame);
    layout->addWidget(detail_);

    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) { showDetail(index.row()); });
    connect(pause_, &QPushButton::toggled, this, &TMonitorForm::pauseClick);
    connect(clear, &QPushButton::clicked, this, &TMonitorForm::clearClick);
    connect(copy, &QPushButton::clicked, this, &TMonitorForm::copyClick);
    connect(save, &QPushButton::clicked, this, &TMonitorForm::saveClick);
    timer_ = new QTimer(this);
    timer_->setInterval(kRefreshMs);
    connect(timer_, &QTimer::timeout, this, &TMonitorForm::refresh);
    resize(1000, 560);
    refresh();
}

TMonitorForm::~TMonitorForm() { monitor_->detach(); }

void TMonitorForm::showEvent(QShowEvent* event) {
    monitor_->attach();
    timer_->start();
    QWidget::showEvent(event);
}

void TMonitorForm::hideEvent(QHideEvent* event) {
    // Minimising is no closing: the window goes on recording then.
    if (!event->spontaneous()) {
        monitor_->detach();
        timer_->stop();
    }
    QWidget::hideEvent(event);
}

void TMonitorForm::refresh() {
    QScrollBar* bar = list_->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    if (model_->sync() && atEnd) list_->scrollToBottom();
    countLabel_->setText(QString("Записей: %1 (хранятся последние %2)")
                             .arg(monitor_->entries().size())
                             .arg(monitor_->entries().capacity()));
}

void TMonitorForm::showDetail(int row) {
    const auto& ring = monitor_->entries();
    if (row < 0 || static_cast<std::size_t>(row) >= ring.size()) {
        detail_->clear();
        return;
    }
    const MonitorEntry& e = ring.at(static_cast<std::size_t>(row));
    std::string text = EntryTimeText(e) + " мс  " + EntryDirectionText(e) + "  " + (e.port.empty() ? "-" : e.port);
    std::string decoded = EntryDecodedText(e);
    for (std::size_t at; (at = decoded.find("; ")) != std::string::npos;) decoded.replace(at, 2, "\n");
    text += "\n" + decoded;
    if (!e.bytes.empty()) text += "\n" + EntryRawText(e);
    detail_->setPlainText(ToQ(text));
}

QStringList TMonitorForm::selectedLines() const {
    QModelIndexList rows = list_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList lines;
    for (const auto& index : rows) {
        const auto row = static_cast<std::size_t>(index.row());
        if (row < monitor_->entries().size()) lines << ToQ(EntryLine(monitor_->entries().at(row)));
    }
    return lines;
}

void TMonitorForm::pauseClick(bool paused) {
    monitor_->setPaused(paused);
    pause_->setText(paused ? "Продолжить" : "Пауза");
}

void TMonitorForm::clearClick() {
    monitor_->clear();
    detail_->clear();
    refresh();
}

void TMonitorForm::copyClick() {
    const QStringList lines = selectedLines();
    if (!lines.isEmpty()) QApplication::clipboard()->setText(lines.join('\n') + '\n');
}

void TMonitorForm::saveClick() {
    QString filter;
    const QString path = QFileDialog::getSaveFileName(
        this, "Сохранение обмена", "обмен.txt",
        "Текстовые файлы (*.txt);;Захват HART-IP для Wireshark (*.pcap);;Все файлы (*)", &filter);
    if (path.isEmpty()) return;
    std::string error;
    const bool pcap = path.endsWith(".pcap", Qt::CaseInsensitive) || filter.contains("*.pcap");
    if (!(pcap ? SaveMonitorPcap(monitor_->entries(), FromQ(path), error)
               : SaveMonitorEntries(monitor_->entries(), FromQ(path), error)))
        QMessageBox::critical(this, windowTitle(), "Не удалось сохранить файл: " + ToQ(error));
}

TMonitorForm* ShowMonitorWindow(QWidget* mainWindow, AppState& state) {
    auto* form = mainWindow->findChild<TMonitorForm*>("TMonitorForm", Qt::FindDirectChildrenOnly);
    if (!form) form = new TMonitorForm(state, mainWindow);
    form->show();
    form->raise();
    form->activateWindow();
    return form;
}

}  // namespace quillon::ui
