#pragma once

#include <QDialog>

#include "calibration/point_count.h"

class QLabel;
class QLineEdit;

namespace quillon::ui {

// How many points a new calibration takes.
class TGetPointsForm : public QDialog {
    Q_OBJECT
public:
    explicit TGetPointsForm(QWidget* parent = nullptr);
    void load(const PointCountDialog& dialog);
    void store(PointCountDialog& dialog) const;

private:
    QLabel* label_;
    QLineEdit* edit_;
};

}  // namespace quillon::ui
