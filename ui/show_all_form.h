#pragma once

#include "ui/live_form.h"

namespace quillon::ui {

// The extended poll's window: four values of request 3 side by side, each with
// its average and count of correct values, and the shared request and answer counts.
//
// Components: GroupBox1..GroupBox4 (their titles), Value1Label..Value4Label,
// Average1Label..Average4Label, Correct1Label..Correct4Label, RequestsLabel,
// AnswersLabel and the Stop button BitBtn1.
class TShowAllForm : public LiveForm {
    Q_OBJECT
public:
    TShowAllForm(InterruptFlags* flags, QWidget* parent = nullptr);
};

}  // namespace quillon::ui
