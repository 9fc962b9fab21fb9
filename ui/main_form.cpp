#include "ui/main_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

#include "app/app_state.h"
#include "app/menu_commands.h"
#include "device/held_output.h"
#include "frontend/output_release.h"
#include "link/hart_ip_link.h"
#include "link/link_dialog.h"
#include "link/main_caption.h"
#include "link/serial_link.h"
#include "link/settings_store.h"
#include "ui/about_form.h"
#include "ui/key_hook_filter.h"
#include "ui/live_form.h"
#include "ui/monitor/link_tools_menu.h"
#include "ui/qt_text.h"
#include "ui/qt_user_interface.h"
#include "device/menu_items.h"
#include "frontend/menu_items.h"
#include "calibration/menu_items.h"
#include "link/link_menu_items.h"

namespace quillon::ui {

namespace {

struct DeviceItem {
    MenuItem item;
    const char* caption;
    bool hiddenAtStart;
};

// The device-service menu in its order; identification shows the hidden ones.
constexpr DeviceItem kDeviceItems[] = {
    {menu::Statistika, "Статистика обмена", false},
    {menu::SelectChannelMenu, "Выбор активных каналов", true},
    {menu::ChangeShortAddr, "Изменить короткий адрес датчика ...", false},
    {menu::ShangeLongAddrMenu, "Изменить длинный адрес датчика ...", false},
    {menu::ADParams, "Параметры АЦП ...", false},
    {menu::DACParams, "Параметры ЦАП ...", false},
    {menu::Calibrovka, "Калибровка ...", false},
    {menu::MeasParamsItem, "Параметры измерений ...", false},
    {menu::ValueCorrection, "Корректировка значения ...", false},
    {menu::PreambulsMenu, "Количество преамбул ...", false},
    {menu::ConstPlotnomerItem, "Константа для плотномера ...", false},
    {menu::FixTokMenuItem, "Фиксировать ток ...", false},
    {menu::AD_Code_Show, "Просмотр кода АЦП", false},
    {menu::AskReq3Item, "Опрос датчика (запрос 3)", false},
    {menu::ReadingTag, "Чтение тега", false},
    {menu::SaveId, "Запись ID для T на I2C (Ostrel)", true},
    {menu::ChangeModbusAddrItem, "Изменить Modbus-адрес", true},
};

}  // namespace

TMainForm::TMainForm(AppState& state, QtUserInterface& ui, std::string settingsPath, std::string programDirectory,
                     QWidget* parent)
    : QMainWindow(parent),
      state_(state),
      ui_(ui),
      settingsPath_(std::move(settingsPath)),
      programDirectory_(std::move(programDirectory)),
      mdi_(new QMdiArea(this)) {
    setObjectName("TMainForm");
    setWindowTitle("Обслуживание датчиков температуры. ");
    mdi_->setObjectName("MdiArea");
    auto* central = new QWidget(this);
    central->setObjectName("CentralPanel");
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    banner_ = new QLabel(central);
    banner_->setObjectName("FixedOutputBanner");
    banner_->setStyleSheet("QLabel { background: #c62828; color: white; font-weight: bold; padding: 6px; }");
    banner_->hide();
    column->addWidget(banner_);
    column->addWidget(mdi_, 1);
    setCentralWidget(central);
    buildMenu();

    auto* bar = new QStatusBar(this);
    bar->setObjectName("StatusBar1");
    bar->setLayoutDirection(Qt::RightToLeft);
    bar->setSizeGripEnabled(false);
    statusPanel_ = new QLabel(bar);
    statusPanel_->setObjectName("StatusBar1Panel");
    bar->addWidget(statusPanel_, 1);
    setStatusBar(bar);
    bar->hide();

    // The calibration file dialogs, configured once and used by the calibration commands.
    openDialog1_ = new QFileDialog(this, "Открытие файла с калибровкой");
    openDialog1_->setObjectName("OpenDialog1");
    openDialog1_->setAcceptMode(QFileDialog::AcceptOpen);
    openDialog1_->setFileMode(QFileDialog::ExistingFile);
    openDialog1_->setNameFilters({"Calibr files (*.clb)", "All files (*.*)"});
    openDialog1_->setDefaultSuffix("clb");
    saveDialog1_ = new QFileDialog(this, "Запись калибровки в файл");
    saveDialog1_->setObjectName("SaveDialog1");
    saveDialog1_->setAcceptMode(QFileDialog::AcceptSave);
    saveDialog1_->setFileMode(QFileDialog::AnyFile);
    saveDialog1_->setNameFilters({"Calibr files (*.clb)"});
    saveDialog1_->setDefaultSuffix("clb");

    // A small screen, or a large scaling, gets the window its screen holds, frame included.
    QSize size(1024, 720);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 48));
    resize(size);
    ui_.attach(state_);
    ui_.attachMainWindow(this);
}

TMainForm::~TMainForm() {
    if (keyHook_) qApp->removeEventFilter(keyHook_);
    ui_.attachMainWindow(nullptr);
}

QAction* TMainForm::addItem(QMenu* menu, const char* name, const QString& caption) {
    auto* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

void TMainForm::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");

    QMenu* n1 = bar->addMenu("Связь");
    n1->setObjectName("N1");
    n1->menuAction()->setObjectName("N1Action");
    QAction* paramConnect = addItem(n1, "ParamConnect", "Установить параметры связи");
    items_[menu::ParamConnect] = paramConnect;
    // Commands are queued, so they run from the main loop and never inside the menu's own handling.
    connect(paramConnect, &QAction::triggered, this, &TMainForm::paramConnectClick, Qt::QueuedConnection);
    AddLinkToolItems(this, n1, state_);
    QAction* n3 = addItem(n1, "N3", "Выход");
    connect(n3, &QAction::triggered, this, &TMainForm::n3Click, Qt::QueuedConnection);

    QMenu* n4 = bar->addMenu("Обслуживание датчика");
    n4->setObjectName("N4");
    n4->menuAction()->setObjectName("N4Action");
    for (const auto& d : kDeviceItems) {
        QAction* action = addItem(n4, std::string(d.item.name).c_str(), d.caption);
        action->setVisible(!d.hiddenAtStart);
        action->setEnabled(MenuCommandAvailable(d.item));
        const MenuItem item = d.item;
        connect(
            action, &QAction::triggered, this, [this, item] { menuCommand(item); }, Qt::QueuedConnection);
        items_[d.item] = action;
    }

    QMenu* about = bar->addMenu("О программе");
    about->setObjectName("About");
    about->menuAction()->setObjectName("AboutAction");
    QAction* aboutItem = addItem(about, "AboutPrgItem", "О программе ...");
    connect(aboutItem, &QAction::triggered, this, &TMainForm::aboutPrgItemClick, Qt::QueuedConnection);
}

QAction* TMainForm::menuAction(MenuItem item) const {
    auto it = items_.find(item);
    return it == items_.end() ? nullptr : it->second;
}

void TMainForm::startUp() {
    ScanPorts(state_);
    LoadSettings(state_, settingsPath_, programDirectory_);
    const QString dir = ToQ(state_.settings.settingsDirectory);
    openDialog1_->setDirectory(dir);
    saveDialog1_->setDirectory(dir);
    if (!keyHook_) {
        keyHook_ = new KeyHookFilter(state_.flags, this);
        qApp->installEventFilter(keyHook_);
    }
    state_.port.performanceFrequency = state_.clock.counterFrequency();
    RestartPort(state_, state_.settings.linkType);
    UpdateMainCaption(state_);
    if (!keepAlive_) {
        // A HART-IP server forgets a session left idle past its timer.
        keepAlive_ = new QTimer(this);
        connect(keepAlive_, &QTimer::timeout, this, [this] { HartIpKeepAlive(state_); });
        keepAlive_->start(1000);
    }
}

void TMainForm::setMenuItemVisible(MenuItem item, bool visible) {
    if (QAction* a = menuAction(item)) a->setVisible(visible);
}

void TMainForm::setMainMenuPresent(bool present) { menuBar()->setVisible(present); }

void TMainForm::setStatusBarText(bool visible, const QString& text) {
    statusPanel_->setText(text);
    statusBar()->setVisible(visible);
}

void TMainForm::setFixedOutputBanner(const QString& text) {
    banner_->setText(text);
    banner_->setVisible(!text.isEmpty());
    for (auto* sub : mdi_->subWindowList())
        if (auto* live = qobject_cast<LiveForm*>(sub->widget())) {
            live->setComponentText("FixedOutputLabel", text);
            live->setComponentVisible("FixedOutputLabel", !text.isEmpty());
        }
}

void TMainForm::runCommand(const std::function<void()>& command) {
    if (busy_) return;
    busy_ = true;
    menuBar()->setEnabled(false);
    try {
        command();
    } catch (const std::exception& e) {
        ui_.closeProgress();
        ui_.message(MessageIcon::Error, e.what(), MessageButtons::Ok);
    } catch (...) {
        ui_.closeProgress();
        ui_.message(MessageIcon::Error, "Непредвиденная ошибка", MessageButtons::Ok);
    }
    // However the command ended, the menu is back for the next one.
    menuBar()->setEnabled(true);
    menuBar()->setVisible(true);
    busy_ = false;
    if (closePending_) QTimer::singleShot(0, this, &QWidget::close);
}

void TMainForm::menuCommand(MenuItem item) {
    if (item == menu::ParamConnect) {
        paramConnectClick();
        return;
    }
    runCommand([this, item] { RunMenuCommand(state_, item); });
}

void TMainForm::paramConnectClick() {
    runCommand([this] { ApplyLinkDialog(state_, settingsPath_); });
}

void TMainForm::n3Click() { close(); }

void TMainForm::aboutPrgItemClick() {
    runCommand([this] {
        TAboutForm about(this);
        ui_.runDialog(about);
    });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (busy_) {
        // A command is still running: stop it and close when it has ended.
        closePending_ = true;
        state_.flags.stopRequested = true;
        for (auto* sub : mdi_->subWindowList()) sub->close();
        event->ignore();
        return;
    }
    closePending_ = false;
    // A device left holding a fixed output holds a plant's loop at a false value.
    if (ToolHoldsOutput(state_)) {
        const MessageAnswer answer = ui_.message(MessageIcon::Confirmation, ReleaseBeforeCloseQuestion(state_),
                                                 MessageButtons::YesNoCancel);
        if (answer == MessageAnswer::Cancel) {
            event->ignore();
            return;
        }
        // What could not be released is told in one message; the engineer
        // has chosen to close, and the tool closes.
        if (answer == MessageAnswer::Yes) runCommand([this] { ReleaseHeldOutput(state_); });
    }
    SaveSettings(state_, settingsPath_);
    CloseHartIpSession(state_);
    event->accept();
}

}  // namespace quillon::ui
