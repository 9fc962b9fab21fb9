#pragma once

class QWidget;

namespace quillon::ui {

// Makes Tab follow the form's layouts: down a column, along a row, into each
// group in its place, and so to the button row the forms put last. Qt's own
// order is the order of creation, and forms fill some groups (radio items)
// only after their buttons exist.
void OrderTabsByLayout(QWidget* form);

}  // namespace quillon::ui
