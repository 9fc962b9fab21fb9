#pragma once

#include <QDialog>

#include "link/link_dialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace quillon::ui {

class RadioGroup;

// The link-parameters dialog. Which groups show and which controls accept
// input follows the core's rules for the current entries, re-applied on
// every change.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    void load(const LinkDialog& dialog);
    void store(LinkDialog& dialog) const;

public slots:
    void applyRules();
    void selectFileButtonClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* edit1_;
    RadioGroup* typeConnect_;
    RadioGroup* hartSpeed_;
    RadioGroup* comPort_;
    QGroupBox* delays_;
    QLineEdit* firstByte_;
    QLineEdit* nextByte_;
    RadioGroup* masterAddr_;
    QGroupBox* brenta_;
    QSpinBox* brentaSpin_;
    RadioGroup* speed_;
    RadioGroup* reqFormat_;
    QLabel* numLineLabel_;
    QComboBox* numLine_;
    QCheckBox* sou_;
    QLabel* passwordLabel_;
    QLineEdit* password_;
    QLabel* userIdLabel_;
    QLineEdit* userId_;
    QCheckBox* writeFile_;
    QPushButton* selectFile_;
    QLineEdit* fileName_;
    QGroupBox* hartIp_;
    QLineEdit* hartIpHost_;
    QSpinBox* hartIpPort_;
    RadioGroup* hartIpTransport_;
    QSpinBox* hartIpTimeout_;
};

}  // namespace quillon::ui
