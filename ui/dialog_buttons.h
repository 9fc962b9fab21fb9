#pragma once

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

#include "ui/qt_translations.h"

namespace quillon::ui {

// A button of a dialog's bottom row: OK accepts, the others reject.
inline QPushButton* AddDialogButton(QDialog* dialog, QBoxLayout* row, const QString& name, const QString& text,
                                    bool accepts) {
    auto* b = new QPushButton(text, dialog);
    b->setObjectName(name);
    if (accepts) {
        b->setDefault(true);
        QObject::connect(b, &QPushButton::clicked, dialog, &QDialog::accept);
    } else {
        QObject::connect(b, &QPushButton::clicked, dialog, &QDialog::reject);
    }
    row->addWidget(b);
    return b;
}

// The usual bottom row "OK" / "Cancel" of a small dialog that keeps the size
// of its contents. Returns the OK button, for dialogs that enable it.
inline QPushButton* AddOkCancel(QDialog* dialog, QBoxLayout* layout) {
    auto* row = new QHBoxLayout;
    QPushButton* ok = AddDialogButton(dialog, row, "OkBitBtn", "OK", true);
    AddDialogButton(dialog, row, "CancelBitBtn", StandardButtonText("Cancel"), false);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return ok;
}

}  // namespace quillon::ui
