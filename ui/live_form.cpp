#include "ui/live_form.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>

#include "link/interrupt_flags.h"

namespace quillon::ui {

LiveForm::LiveForm(InterruptFlags* flags, QWidget* parent) : QWidget(parent), flags_(flags) {}

LiveForm::~LiveForm() {
    if (closeLoop_) closeLoop_->quit();
}

QWidget* LiveForm::component(const QString& name) const {
    if (name == objectName()) return const_cast<LiveForm*>(this);
    return findChild<QWidget*>(name);
}

bool LiveForm::setComponentText(const QString& name, const QString& text) {
    if (name == QLatin1String("Hint")) {  // the window's hint, not a component of its own
        setToolTip(text);
        return true;
    }
    QWidget* w = component(name);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text() == text) return true;
        label->setText(text);
        // Labels size themselves to their text, so a longer value is never clipped.
        const QWidget* owner = label->parentWidget();
        if (!label->wordWrap() && !(owner && owner->layout())) label->adjustSize();
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(text);
    } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
        box->setTitle(text);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
        memo->setPlainText(text);
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
        // A list takes one item per line of the text.
        list->clear();
        if (!text.isEmpty()) list->addItems(text.split(QLatin1Char('\n')));
    } else if (w) {
        w->setWindowTitle(text);
    } else {
        return false;
    }
    return true;
}

bool LiveForm::setComponentVisible(const QString& name, bool visible) {
    QWidget* w = component(name);
    if (!w) return false;
    w->setVisible(visible);
    return true;
}

bool LiveForm::placeBelow(const QString& name, const QString& anchor) {
    QWidget* w = component(name);
    QWidget* a = component(anchor);
    if (!w || !a || w == this || a == this) return false;
    w->move(a->x(), a->geometry().bottom() + 8);
    return true;
}

void LiveForm::waitForClose() {
    if (closed_ || closeLoop_) return;
    QEventLoop loop;
    closeLoop_ = &loop;
    loop.exec();
    closeLoop_ = nullptr;
}

void LiveForm::buttonClicked() {
    if (closeLoop_) {
        closeLoop_->quit();
        return;
    }
    if (flags_) flags_->stopRequested = true;
}

void LiveForm::closeEvent(QCloseEvent* event) {
    closed_ = true;
    if (flags_) flags_->stopRequested = true;
    if (closeLoop_) closeLoop_->quit();
    event->accept();
}

}  // namespace quillon::ui
