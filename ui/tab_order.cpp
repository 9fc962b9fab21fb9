#include "ui/tab_order.h"

#include <QLayout>
#include <QWidget>
#include <vector>

namespace quillon::ui {

namespace {

void Collect(QLayout* layout, std::vector<QWidget*>& out);

void CollectWidget(QWidget* w, std::vector<QWidget*>& out) {
    if (w->isWindow()) return;
    if (w->focusPolicy() & Qt::TabFocus) out.push_back(w);
    // A container (a group box, a panel) holds its fields in its own layout.
    if (w->layout()) Collect(w->layout(), out);
}

void Collect(QLayout* layout, std::vector<QWidget*>& out) {
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (QWidget* w = item->widget())
            CollectWidget(w, out);
        else if (QLayout* inner = item->layout())
            Collect(inner, out);
    }
}

}  // namespace

void OrderTabsByLayout(QWidget* form) {
    if (!form || !form->layout()) return;
    std::vector<QWidget*> order;
    Collect(form->layout(), order);
    if (order.empty()) return;
    // The chain is a ring, and setTabOrder skips widgets without focus when it
    // looks for a widget's predecessor, so it would take "last field, then OK"
    // across the window for an order already made. While the window itself
    // takes focus, the ring has a start: the first field goes right after it.
    const Qt::FocusPolicy policy = form->focusPolicy();
    form->setFocusPolicy(Qt::TabFocus);
    QWidget::setTabOrder(form, order.front());
    for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
    form->setFocusPolicy(policy);
}

}  // namespace quillon::ui
