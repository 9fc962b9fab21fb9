#include "ui/frontend/show_code_form.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "frontend/code_view_names.h"

namespace quillon::ui {

namespace v = codeview;

TShowCodeForm::TShowCodeForm(InterruptFlags* flags, QWidget* parent) : LiveForm(flags, parent) {
    setObjectName("TShowCodeForm");
    setWindowTitle(QString::fromUtf8(v::kCaption));
    auto* layout = new QVBoxLayout(this);
    auto* info = new QLabel(QString::fromUtf8(v::kHint), this);
    info->setObjectName(v::kInfo);
    layout->addWidget(info);

    auto* row = new QHBoxLayout;
    for (int k = 0; k < v::kMaxChannels; ++k) {
        auto* box = new QGroupBox(QString::fromUtf8(v::kDefaultGroupCaptions[k]), this);
        box->setObjectName(v::kGroup[k]);
        auto* grid = new QGridLayout(box);
        const char* captions[] = {"Запросов :", "Ответов :", "Правильных :", "Значение :", "Среднее :"};
        const char* names[] = {v::kRequests[k], v::kAnswers[k], v::kValued[k], v::kValue[k], v::kAverage[k]};
        for (int r = 0; r < 5; ++r) {
            auto* caption = new QLabel(QString::fromUtf8(captions[r]), box);
            caption->setObjectName(QString(names[r]) + "Caption");
            auto* value = new QLabel("----------", box);
            value->setObjectName(names[r]);
            // Wide enough for any code or average, so that a new value never
            // moves the layout: each pass then only repaints the labels.
            value->setMinimumWidth(value->fontMetrics().horizontalAdvance("-4294967295.0000 "));
            grid->addWidget(caption, r, 0);
            grid->addWidget(value, r, 1);
        }
        box->installEventFilter(this);
        groups_[k] = box;
        row->addWidget(box);
    }
    layout->addLayout(row);

    auto* stop = new QPushButton(QString::fromUtf8(v::kStopCaption), this);
    stop->setObjectName(v::kButton);
    connect(stop, &QPushButton::clicked, this, &LiveForm::buttonClicked);
    layout->addWidget(stop, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool TShowCodeForm::setComponentText(const QString& name, const QString& text) {
    // The value labels have a fixed width; setting the same text again costs nothing.
    if (auto* label = findChild<QLabel*>(name)) {
        if (label->text() != text) label->setText(text);
        return true;
    }
    return LiveForm::setComponentText(name, text);
}

bool TShowCodeForm::event(QEvent* e) {
    if (e->type() == QEvent::ParentChange) {
        // Inside the main window: a title, but no buttons on it.
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    }
    return LiveForm::event(e);
}

bool TShowCodeForm::eventFilter(QObject* watched, QEvent* e) {
    if ((e->type() == QEvent::HideToParent || e->type() == QEvent::ShowToParent) && !fitPending_) {
        fitPending_ = true;
        QTimer::singleShot(0, this, [this] { fitWindow(); });
    }
    return LiveForm::eventFilter(watched, e);
}

void TShowCodeForm::fitWindow() {
    fitPending_ = false;
    layout()->activate();
    adjustSize();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->adjustSize();
}

}  // namespace quillon::ui
