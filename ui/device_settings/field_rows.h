#pragma once

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace quillon::ui {

// A labelled edit in the next row of a grid: the label left, the edit right.
inline QLineEdit* AddEditRow(QWidget* owner, QGridLayout* grid, const char* labelName, const QString& caption,
                             const char* editName, QLabel** label = nullptr) {
    const int row = grid->rowCount();
    auto* l = new QLabel(caption, owner);
    l->setObjectName(labelName);
    auto* e = new QLineEdit(owner);
    e->setObjectName(editName);
    grid->addWidget(l, row, 0);
    grid->addWidget(e, row, 1);
    if (label) *label = l;
    return e;
}

}  // namespace quillon::ui
