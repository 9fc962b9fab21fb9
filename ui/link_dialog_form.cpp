#include "ui/link_dialog_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "link/link_dialog_rules.h"
#include "ui/dialog_buttons.h"
#include "ui/qt_text.h"
#include "ui/radio_group.h"

namespace quillon::ui {

namespace {

// Fields that come and go inside a group keep their place, so the group does
// not jump as the rules apply.
void KeepPlaceWhenHidden(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

QLineEdit* NamedEdit(const char* name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    return e;
}

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

void ShowAsStars(QLineEdit* e) {
    e->setEchoMode(QLineEdit::Password);
    e->setStyleSheet("lineedit-password-character: 42;");
}

}  // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm2");
    setWindowTitle("Ввод параметров связи с датчиком");

    auto* shortAddr = new QGroupBox("Короткий адрес (0-15) : ", this);
    shortAddr->setObjectName("ShortAddrGroupBox");
    edit1_ = NamedEdit("Edit1", shortAddr);
    (new QVBoxLayout(shortAddr))->addWidget(edit1_);

    typeConnect_ = new RadioGroup("TypeConnectRadioGroup", "Тип связи :", 1, this);
    typeConnect_->setItems({"Через HART-modem", "Через Brenta", "Через HART-IP"});

    hartSpeed_ = new RadioGroup("HartSpeedRadioGroup", "Скорость по HART :", 1, this);
    hartSpeed_->setItems({"1200", "38400", "19200,n (Tessor, Marlow default, RS-485)", "38400 (Marlow)",
                          "9600,n (RS-485)", "2400,n (Marlow, RS-485)"});

    comPort_ = new RadioGroup("ComPortRadioGroup", "Выбор COM-порта :", 2, this);

    delays_ = new QGroupBox("Время ожидания :", this);
    delays_->setObjectName("DelaysGroupBox");
    auto* delaysLayout = new QFormLayout(delays_);
    firstByte_ = NamedEdit("FirstByteEdit", delays_);
    nextByte_ = NamedEdit("NextByteEdit", delays_);
    delaysLayout->addRow(NamedLabel("FirstByteLabel", "Первого байта, мс : (400-10000)", delays_), firstByte_);
    delaysLayout->addRow(NamedLabel("NextByteLabel", "Следующего байта, мс : (300-5000)", delays_), nextByte_);

    masterAddr_ = new RadioGroup("MasterAddrRadioGroup", "Адрес главного устройства : ", 2, this);
    masterAddr_->setItems({"0", "1"});

    brenta_ = new QGroupBox("Параметры связи с Brenta :", this);
    brenta_->setObjectName("BrentaGroupBox");
    auto* brentaLayout = new QGridLayout(brenta_);
    brentaSpin_ = new QSpinBox(brenta_);
    brentaSpin_->setObjectName("BrentaSpinEdit");
    brentaSpin_->setRange(0, 255);
    brentaLayout->addWidget(NamedLabel("BrentaAddrLabel", "Адрес Brenta :", brenta_), 0, 0);
    brentaLayout->addWidget(brentaSpin_, 0, 1);
    speed_ = new RadioGroup("SpeedRadioGroup", "Скорость по порту :", 3, brenta_);
    speed_->setItems({"300", "600", "1200", "2400", "3200", "3600", "4800", "6400", "7200", "9600", "14400", "19200",
                      "28800", "38400", "57600", "115200"});
    brentaLayout->addWidget(speed_, 1, 0, 1, 2);
    reqFormat_ = new RadioGroup("ReqFormatRadioGroup", "Формат запроса :", 1, brenta_);
    reqFormat_->setItems({"Без внешнего модуля (11)", "С внешним модулем (33)"});
    brentaLayout->addWidget(reqFormat_, 2, 0, 1, 2);
    numLineLabel_ = NamedLabel("NumLineLabel", "Номер линии: ", brenta_);
    numLine_ = new QComboBox(brenta_);
    numLine_->setObjectName("NumLineComboBox");
    numLine_->addItems({"0 (HART)", "1 (Модуль RS485)", "2 (Модуль Tessor/HART)", "3 (Резерв)"});
    KeepPlaceWhenHidden(numLineLabel_);
    KeepPlaceWhenHidden(numLine_);
    brentaLayout->addWidget(numLineLabel_, 3, 0);
    brentaLayout->addWidget(numLine_, 3, 1);
    sou_ = new QCheckBox("Требования СОУ", brenta_);
    sou_->setObjectName("SOUCheckBox");
    brentaLayout->addWidget(sou_, 4, 0, 1, 2);
    passwordLabel_ = NamedLabel("PasswordLabel", "Пароль для Brenta :", brenta_);
    password_ = NamedEdit("PasswordEdit", brenta_);
    ShowAsStars(password_);
    passwordLabel_->installEventFilter(this);
    brentaLayout->addWidget(passwordLabel_, 5, 0);
    brentaLayout->addWidget(password_, 5, 1);
    userIdLabel_ = NamedLabel("UserIDLabel", "User ID:", brenta_);
    userId_ = NamedEdit("UserIDEdit", brenta_);
    ShowAsStars(userId_);
    userId_->setMaxLength(4);
    KeepPlaceWhenHidden(userIdLabel_);
    KeepPlaceWhenHidden(userId_);
    brentaLayout->addWidget(userIdLabel_, 6, 0);
    brentaLayout->addWidget(userId_, 6, 1);
    brentaLayout->setRowStretch(7, 1);

    hartIp_ = new QGroupBox("Параметры связи по HART-IP :", this);
    hartIp_->setObjectName("HartIpGroupBox");
    auto* hartIpLayout = new QFormLayout(hartIp_);
    hartIpHost_ = NamedEdit("HartIpHostEdit", hartIp_);
    hartIpPort_ = new QSpinBox(hartIp_);
    hartIpPort_->setObjectName("HartIpPortSpinEdit");
    hartIpPort_->setRange(1, 65535);
    hartIpTransport_ = new RadioGroup("HartIpTransportRadioGroup", "Транспорт :", 2, hartIp_);
    hartIpTransport_->setItems({"TCP", "UDP"});
    hartIpTimeout_ = new QSpinBox(hartIp_);
    hartIpTimeout_->setObjectName("HartIpTimeoutSpinEdit");
    hartIpTimeout_->setRange(100, 60000);
    hartIpLayout->addRow(NamedLabel("HartIpHostLabel", "Адрес сервера :", hartIp_), hartIpHost_);
    hartIpLayout->addRow(NamedLabel("HartIpPortLabel", "Порт :", hartIp_), hartIpPort_);
    hartIpLayout->addRow(hartIpTransport_);
    hartIpLayout->addRow(NamedLabel("HartIpTimeoutLabel", "Ожидание ответа, мс :", hartIp_), hartIpTimeout_);

    auto* results = new QGroupBox("Результаты опроса :", this);
    results->setObjectName("ResOprosaGroupBox");
    auto* resultsLayout = new QVBoxLayout(results);
    writeFile_ = new QCheckBox("Записывать в файл", results);
    writeFile_->setObjectName("WriteFileCheckBox");
    selectFile_ = new QPushButton("Выбрать имя файла :", results);
    selectFile_->setObjectName("SelectFileButton");
    fileName_ = NamedEdit("FileNameEdit", results);
    resultsLayout->addWidget(writeFile_);
    resultsLayout->addWidget(selectFile_);
    resultsLayout->addWidget(fileName_);

    // The groups of the other link types give up their place: the dialog is
    // as wide as what the chosen link needs, a third column only for the
    // flow computer, the HART-IP server where the port and its waits would be.
    auto* grid = new QGridLayout;
    grid->addWidget(shortAddr, 0, 0);
    grid->addWidget(typeConnect_, 1, 0);
    grid->addWidget(hartSpeed_, 2, 0);
    grid->addWidget(masterAddr_, 3, 0);
    grid->setRowStretch(4, 1);
    grid->addWidget(comPort_, 0, 1, 2, 1);
    grid->addWidget(delays_, 2, 1);
    grid->addWidget(hartIp_, 0, 1, 3, 1, Qt::AlignTop);
    grid->addWidget(results, 3, 1, 2, 1);
    grid->addWidget(brenta_, 0, 2, 5, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    auto* row = new QHBoxLayout;
    row->addStretch();
    AddDialogButton(this, row, "OkBitBtn", "OK", true);
    AddDialogButton(this, row, "CloseBitBtn", StandardButtonText("Close"), false);
    row->addStretch();
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(typeConnect_, &RadioGroup::itemIndexChanged, this, &TForm2::applyRules);
    connect(reqFormat_, &RadioGroup::itemIndexChanged, this, &TForm2::applyRules);
    connect(sou_, &QCheckBox::toggled, this, &TForm2::applyRules);
    connect(writeFile_, &QCheckBox::toggled, this, &TForm2::applyRules);
    connect(selectFile_, &QPushButton::clicked, this, &TForm2::selectFileButtonClick);
}

void TForm2::load(const LinkDialog& d) {
    if (!d.caption.empty()) setWindowTitle(ToQ(d.caption));
    edit1_->setText(ToQ(d.shortAddressText));
    writeFile_->setChecked(d.writeFile);
    fileName_->setText(ToQ(d.fileName));
    typeConnect_->setItemIndex(d.linkType);
    hartSpeed_->setItemIndex(d.hartSpeedIndex);
    masterAddr_->setItemIndex(d.masterAddress);
    reqFormat_->setItemIndex(d.requestFormat);
    numLine_->setCurrentIndex(d.tunnelLine >= 0 && d.tunnelLine < numLine_->count() ? d.tunnelLine : -1);
    QStringList ports;
    for (const auto& item : d.portItems) ports << ToQ(item);
    comPort_->setItems(ports);
    comPort_->setItemIndex(d.portIndex);
    speed_->setItemIndex(d.portSpeedIndex);
    firstByte_->setText(ToQ(d.firstByteText));
    nextByte_->setText(ToQ(d.nextByteText));
    sou_->setChecked(d.souMode);
    applyRules();  // the password's length limit depends on the SOU tick
    password_->setText(ToQ(d.password));
    userId_->setText(ToQ(d.userId));
    brentaSpin_->setValue(d.tunnelAddress);
    hartIpHost_->setText(ToQ(d.hartIpHost));
    hartIpPort_->setValue(d.hartIpPort);
    hartIpTransport_->setItemIndex(d.hartIpTransport);
    hartIpTimeout_->setValue(d.hartIpTimeout);
    applyRules();
}

void TForm2::store(LinkDialog& d) const {
    d.shortAddressText = FromQ(edit1_->text());
    d.writeFile = writeFile_->isChecked();
    d.fileName = FromQ(fileName_->text());
    // A group that shows no item had a stored value it cannot show; the
    // record keeps that value unless the user picks an item.
    const auto chosen = [](const RadioGroup* group, int& field) {
        if (group->itemIndex() >= 0) field = group->itemIndex();
    };
    chosen(typeConnect_, d.linkType);
    chosen(hartSpeed_, d.hartSpeedIndex);
    chosen(masterAddr_, d.masterAddress);
    chosen(reqFormat_, d.requestFormat);
    // A stored line beyond the list shows as no choice; it stays as stored unless one is picked.
    if (numLine_->currentIndex() >= 0) d.tunnelLine = numLine_->currentIndex();
    d.portIndex = comPort_->itemIndex();
    chosen(speed_, d.portSpeedIndex);
    d.firstByteText = FromQ(firstByte_->text());
    d.nextByteText = FromQ(nextByte_->text());
    d.password = FromQ(password_->text());
    d.userId = FromQ(userId_->text());
    brentaSpin_->interpretText();
    d.tunnelAddress = brentaSpin_->value();
    d.souMode = sou_->isChecked();
    d.hartIpHost = FromQ(hartIpHost_->text());
    hartIpPort_->interpretText();
    d.hartIpPort = hartIpPort_->value();
    chosen(hartIpTransport_, d.hartIpTransport);
    hartIpTimeout_->interpretText();
    d.hartIpTimeout = hartIpTimeout_->value();
}

void TForm2::applyRules() {
    LinkDialog d;
    d.linkType = -1;  // no link type item selected hides the link's groups
    d.requestFormat = -1;
    store(d);
    const LinkDialogVisibility v = LinkDialogVisibilityFor(d);
    hartSpeed_->setVisible(v.hartSpeed);
    comPort_->setVisible(v.comPort);
    delays_->setVisible(v.delays);
    brenta_->setVisible(v.brenta);
    hartIp_->setVisible(v.hartIp);
    numLineLabel_->setVisible(v.numLine);
    numLine_->setVisible(v.numLine);
    password_->setMaxLength(v.passwordMaxLength);
    userIdLabel_->setVisible(v.userId);
    userId_->setVisible(v.userId);
    fileName_->setEnabled(v.fileControlsEnabled);
    selectFile_->setEnabled(v.fileControlsEnabled);
}

void TForm2::selectFileButtonClick() {
    QFileDialog dialog(this, "Файл для сохранения результатов опроса:");
    dialog.setObjectName("SaveResultFileDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({"Data Files (*.ctr)", "All files (*.*)"});
    // Starts where the current name points; a bare name means the working folder.
    const QFileInfo current(fileName_->text().isEmpty() ? QString("prot.ctr") : fileName_->text());
    dialog.setDirectory(current.absolutePath());
    dialog.selectFile(current.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QFileInfo chosen(dialog.selectedFiles().front());
    // The folder must exist; the file itself is created by the poll.
    if (!chosen.absoluteDir().exists()) return;
    fileName_->setText(chosen.filePath());
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == passwordLabel_ && event->type() == QEvent::MouseButtonRelease) password_->setFocus();
    return QDialog::eventFilter(watched, event);
}

}  // namespace quillon::ui
