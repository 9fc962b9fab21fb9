#pragma once

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "ui/frontend/output_form_parts.h"
#include "ui/qt_text.h"

namespace quillon::ui {

// The rows both DAC forms begin with: the offset's caption and edit, two
// hints, the slope's caption and edit. Either dialog record carries their
// texts under the same names.
struct DacOffsetSlopeRows {
    DacOffsetSlopeRows(QWidget* owner, QBoxLayout* column)
        : offsetLabel(AddCaption(owner, column, "SmeLabel")),
          offset(AddEdit(owner, column, "SmeEdit")),
          hint1(AddCaption(owner, column, "Label1")),
          hint2(AddCaption(owner, column, "Label2")),
          slopeLabel(AddCaption(owner, column, "NaklonLabel")),
          slope(AddEdit(owner, column, "NaklonEdit")) {}

    template <typename Dialog>
    void load(const Dialog& d) {
        offsetLabel->setText(ToQ(d.offsetLabel));
        hint1->setText(ToQ(d.label1));
        hint2->setText(ToQ(d.label2));
        slopeLabel->setText(ToQ(d.slopeLabel));
        offset->setText(ToQ(d.offset));
        slope->setText(ToQ(d.slope));
    }

    template <typename Dialog>
    void store(Dialog& d) const {
        d.offset = FromQ(offset->text());
        d.slope = FromQ(slope->text());
    }

    void setVisible(bool visible) {
        for (QWidget* w : {static_cast<QWidget*>(offsetLabel), static_cast<QWidget*>(offset),
                           static_cast<QWidget*>(hint1), static_cast<QWidget*>(hint2),
                           static_cast<QWidget*>(slopeLabel), static_cast<QWidget*>(slope)})
            w->setVisible(visible);
    }

    QLabel* offsetLabel;
    QLineEdit* offset;
    QLabel* hint1;
    QLabel* hint2;
    QLabel* slopeLabel;
    QLineEdit* slope;
};

}  // namespace quillon::ui
