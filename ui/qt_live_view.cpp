#include "ui/qt_live_view.h"

#include <QMdiSubWindow>
#include <QtDebug>

#include "ui/live_form.h"
#include "ui/qt_text.h"

namespace quillon::ui {

QtLiveView::QtLiveView(QMdiSubWindow* subWindow, LiveForm* form) : subWindow_(subWindow), form_(form) {}

QtLiveView::~QtLiveView() {
    if (subWindow_) {
        subWindow_->hide();
        delete subWindow_.data();
    } else if (form_) {
        delete form_.data();
    }
}

void QtLiveView::setCaption(const std::string& caption) {
    if (!form_) return;
    form_->setWindowTitle(ToQ(caption));
    if (subWindow_) subWindow_->setWindowTitle(ToQ(caption));
}

void QtLiveView::setText(const std::string& component, const std::string& text) {
    if (form_ && !form_->setComponentText(ToQ(component), ToQ(text)))
        qWarning("live view %s has no component %s", qPrintable(form_->objectName()), component.c_str());
}

void QtLiveView::setVisible(const std::string& component, bool visible) {
    if (form_ && !form_->setComponentVisible(ToQ(component), visible))
        qWarning("live view %s has no component %s", qPrintable(form_->objectName()), component.c_str());
}

void QtLiveView::show() {
    if (!form_ || form_->isClosed()) return;
    form_->show();
    if (subWindow_) {
        subWindow_->show();
        subWindow_->raise();
        subWindow_->setFocus();
    }
}

void QtLiveView::addTrendPoint(double seconds, double value) {
    if (form_) form_->addTrendPoint(seconds, value);
}

void QtLiveView::clearTrend() {
    if (form_) form_->clearTrend();
}

void QtLiveView::placeBelow(const std::string& component, const std::string& anchor) {
    if (form_) form_->placeBelow(ToQ(component), ToQ(anchor));
}

void QtLiveView::waitForClose() {
    if (form_) form_->waitForClose();
}

}  // namespace quillon::ui
