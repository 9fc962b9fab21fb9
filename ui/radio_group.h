#pragma once

#include <QGroupBox>
#include <QStringList>
#include <vector>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

namespace quillon::ui {

// A titled group of radio buttons laid out in columns, with an item index
// that may also be -1 (nothing selected): the link dialog hides groups when no
// link type is chosen.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& objectName, const QString& title, int columns, QWidget* parent = nullptr);

    void setItems(const QStringList& items);
    QStringList items() const;
    int count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* button(int index) const;

    int itemIndex() const;
    // Out-of-range values (including -1) clear the selection.
    void setItemIndex(int index);

signals:
    void itemIndexChanged(int index);

private:
    int columns_;
    QGridLayout* grid_;
    QButtonGroup* group_;
    std::vector<QRadioButton*> buttons_;
};

}  // namespace quillon::ui
