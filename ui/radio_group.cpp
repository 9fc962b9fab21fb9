#include "ui/radio_group.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

namespace quillon::ui {

RadioGroup::RadioGroup(const QString& objectName, const QString& title, int columns, QWidget* parent)
    : QGroupBox(title, parent),
      columns_(columns < 1 ? 1 : columns),
      grid_(new QGridLayout(this)),
      group_(new QButtonGroup(this)) {
    setObjectName(objectName);
    connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) emit itemIndexChanged(id);
    });
}

void RadioGroup::setItems(const QStringList& items) {
    const int previous = itemIndex();
    for (auto* b : buttons_) {
        group_->removeButton(b);
        delete b;
    }
    buttons_.clear();
    // Items run down the first column, then the next, as in a multi-column radio group.
    const int total = static_cast<int>(items.size());
    const int rows = (total + columns_ - 1) / columns_;
    for (int i = 0; i < total; ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setObjectName(objectName() + QString::number(i));
        group_->addButton(b, i);
        grid_->addWidget(b, rows ? i % rows : 0, rows ? i / rows : 0);
        buttons_.push_back(b);
    }
    if (previous >= 0 && previous < total) buttons_[static_cast<size_t>(previous)]->setChecked(true);
}

QStringList RadioGroup::items() const {
    QStringList result;
    for (auto* b : buttons_) result << b->text();
    return result;
}

QRadioButton* RadioGroup::button(int index) const {
    return index >= 0 && index < count() ? buttons_[static_cast<size_t>(index)] : nullptr;
}

int RadioGroup::itemIndex() const { return group_->checkedId(); }

void RadioGroup::setItemIndex(int index) {
    if (index == itemIndex()) return;
    if (auto* b = button(index)) {
        b->setChecked(true);
        return;
    }
    // An exclusive group refuses to uncheck its last button; lift that for a moment.
    group_->setExclusive(false);
    for (auto* b : buttons_) b->setChecked(false);
    group_->setExclusive(true);
    emit itemIndexChanged(-1);
}

}  // namespace quillon::ui
