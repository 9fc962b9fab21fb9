#pragma once

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QWidget>

namespace quillon::ui {

// A caption above its edit, both named, added to a column of the form.
inline QLabel* AddCaption(QWidget* owner, QBoxLayout* column, const QString& name, const QString& text = {}) {
    auto* l = new QLabel(text, owner);
    l->setObjectName(name);
    column->addWidget(l);
    return l;
}

inline QLineEdit* AddEdit(QWidget* owner, QBoxLayout* column, const QString& name) {
    auto* e = new QLineEdit(owner);
    e->setObjectName(name);
    column->addWidget(e);
    return e;
}

}  // namespace quillon::ui
