#include "ui/qt_user_interface.h"

#include <QApplication>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>

#include "app/app_state.h"
#include "device/dialogs.h"
#include "link/link_dialog.h"
#include "ui/get_serial_string_form.h"
#include "ui/identity_form.h"
#include "ui/link_dialog_form.h"
#include "ui/live_form.h"
#include "ui/long_address_form.h"
#include "ui/main_form.h"
#include "ui/monitor/link_tools_menu.h"
#include "ui/poll_statistics_form.h"
#include "ui/preambles_form.h"
#include "ui/progress_form.h"
#include "ui/qt_live_view.h"
#include "ui/qt_text.h"
#include "ui/registered_forms.h"
#include "ui/select_channel_form.h"
#include "ui/select_request_form.h"
#include "ui/short_addr_form.h"
#include "ui/show_all_form.h"
#include "ui/tab_order.h"
#include "ui/title_room.h"
#include "device/menu_items.h"

namespace quillon::ui {

QtUserInterface::QtUserInterface() {
    registerLiveView(live_view::Statistics, [](InterruptFlags* flags) { return new TStatistikaForm(flags); });
    registerLiveView(live_view::ShowAll, [](InterruptFlags* flags) { return new TShowAllForm(flags); });
    // The identity window only informs: whatever closes it, nothing is taken back.
    registerDialog<IdentityWindow>([this](IdentityWindow& window) {
        TLongAddrForm form(parentWidget());
        form.load(window);
        runDialog(form);
        return true;
    });
    registerForm<TSelectChannelForm, ChannelDialog>();
    registerForm<TGetSerialStringForm, SerialStringDialog>();
    registerForm<TSelectRequestForm, RequestChoiceDialog>();
    registerForm<TShortAddrForm, ShortAddressDialog>();
    registerForm<TGetLongAddrForm, LongAddressDialog>();
    registerForm<TPreamblesForm, PreamblesDialog>();
    RegisterCalibrationForms(*this);
    RegisterFrontendForms(*this);
    RegisterDeviceSettingsForms(*this);
    RegisterMonitorForms(*this);
}

QtUserInterface::~QtUserInterface() {
    if (progress_) delete progress_.data();
}

void QtUserInterface::attach(AppState& state) { state_ = &state; }

void QtUserInterface::attachMainWindow(TMainForm* window) {
    mainWindow_ = window;
    if (progress_) delete progress_.data();
    // The progress window lives as long as the main window, like the other
    // windows created at start-up.
    if (window) progress_ = new TNowOprosForm(window);
}

TNowOprosForm* QtUserInterface::progressWindow() const { return progress_; }

QWidget* QtUserInterface::parentWidget() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return mainWindow_.data();
}

namespace {

// Puts the Enter and Stop flags back as they were before a box opened.
class KeysSeenByTheBox {
public:
    explicit KeysSeenByTheBox(InterruptFlags* flags)
        : flags_(flags), enter_(flags && flags->enterPressed), stop_(flags && flags->stopRequested) {}
    ~KeysSeenByTheBox() {
        if (!flags_) return;
        flags_->enterPressed = enter_;
        flags_->stopRequested = stop_;
    }
    KeysSeenByTheBox(const KeysSeenByTheBox&) = delete;
    KeysSeenByTheBox& operator=(const KeysSeenByTheBox&) = delete;

private:
    InterruptFlags* flags_;
    bool enter_;
    bool stop_;
};

// A box wraps its text at spaces, but the bytes of an id or an address are
// one value: they stay on one line.
QString KeepByteListsTogether(QString text) {
    static const QRegularExpression gap("([0-9A-F]{2}h) (?=[0-9A-F]{2}h)");
    return text.replace(gap, QStringLiteral("\\1\u00A0"));
}

}  // namespace

MessageAnswer QtUserInterface::message(MessageIcon icon, const std::string& text, MessageButtons buttons,
                                       const std::string& caption) {
    if (answerMessage) return answerMessage(icon, text, buttons, caption);

    QMessageBox::Icon qtIcon = QMessageBox::Critical;
    switch (icon) {
        case MessageIcon::Error: qtIcon = QMessageBox::Critical; break;
        case MessageIcon::Warning: qtIcon = QMessageBox::Warning; break;
        case MessageIcon::Information: qtIcon = QMessageBox::Information; break;
        case MessageIcon::Confirmation: qtIcon = QMessageBox::Question; break;
    }
    QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
    switch (buttons) {
        case MessageButtons::Ok: qtButtons = QMessageBox::Ok; break;
        case MessageButtons::Yes: qtButtons = QMessageBox::Yes; break;
        case MessageButtons::YesNo: qtButtons = QMessageBox::Yes | QMessageBox::No; break;
        case MessageButtons::OkCancel: qtButtons = QMessageBox::Ok | QMessageBox::Cancel; break;
        case MessageButtons::YesNoCancel: qtButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    }
    const QString title = caption.empty() ? QApplication::applicationName() : ToQ(caption);
    QMessageBox box(qtIcon, title, KeepByteListsTogether(ToQ(text)), qtButtons, parentWidget());
    box.setObjectName("MessageBox");
    // A short text makes a box narrower than the frame needs for its title.
    MakeRoomForTitle(box);
    if (messagePlace_) {
        box.move(*messagePlace_);
        messagePlace_.reset();
    }
    if (onDialogShown) QTimer::singleShot(0, &box, [this, &box] { onDialogShown(box); });
    {
        // The key hook sees the Enter or Esc that answers the box too. That
        // key belongs to the box: a wait or a poll the box was shown in must
        // only end for a key pressed while it waits.
        const KeysSeenByTheBox keys(state_ ? &state_->flags : nullptr);
        box.exec();
    }
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Yes: return MessageAnswer::Yes;
        case QMessageBox::No: return MessageAnswer::No;
        case QMessageBox::Cancel: return MessageAnswer::Cancel;
        case QMessageBox::Ok: return MessageAnswer::Ok;
        default: break;
    }
    // Closed without a button: the answer that does nothing.
    switch (buttons) {
        case MessageButtons::YesNo: return MessageAnswer::No;
        case MessageButtons::OkCancel:
        case MessageButtons::YesNoCancel: return MessageAnswer::Cancel;
        case MessageButtons::Yes: return MessageAnswer::Yes;
        case MessageButtons::Ok: break;
    }
    return MessageAnswer::Ok;
}

MessageAnswer QtUserInterface::messageAt(MessageIcon icon, const std::string& text, MessageButtons buttons, int left,
                                         int top) {
    messagePlace_ = QPoint(left, top);
    const MessageAnswer answer = message(icon, text, buttons);
    messagePlace_.reset();
    return answer;
}

void QtUserInterface::showProgress(const std::string& text) {
    if (progress_) progress_->showWithText(ToQ(text));
}

void QtUserInterface::setProgressText(const std::string& text) {
    if (progress_) progress_->setText(ToQ(text));
}

void QtUserInterface::closeProgress() {
    if (progress_) progress_->hide();
}

void QtUserInterface::processEvents() {
    // Menu commands cannot start here: the main window blocks its menu while
    // a command runs, so only keys, Stop buttons and painting get through.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtUserInterface::setMainCaption(const std::string& caption) {
    if (mainWindow_) mainWindow_->setWindowTitle(ToQ(caption));
}

void QtUserInterface::setMenuItemVisible(MenuItem item, bool visible) {
    if (mainWindow_) mainWindow_->setMenuItemVisible(item, visible);
}

void QtUserInterface::setMainMenuPresent(bool present) {
    if (mainWindow_) mainWindow_->setMainMenuPresent(present);
}

void QtUserInterface::setStatusBar(bool visible, const std::string& text) {
    if (mainWindow_) mainWindow_->setStatusBarText(visible, ToQ(text));
}

bool QtUserInterface::runDialog(QDialog& dialog) {
    // Qt's file dialog keeps its own order; the tool's forms get theirs from
    // their layouts, once load() has put every field in.
    if (!qobject_cast<QFileDialog*>(&dialog)) {
        OrderTabsByLayout(&dialog);
        MakeRoomForTitle(dialog);
    }
    if (onDialogShown) QTimer::singleShot(0, &dialog, [this, &dialog] { onDialogShown(dialog); });
    return dialog.exec() == QDialog::Accepted;
}

bool QtUserInterface::show(LinkDialog& dialog) { return runForm<TForm2>(dialog); }


bool QtUserInterface::showDialog(const DialogRef& dialog) {
    auto it = runners_.find(std::type_index(dialog.type));
    if (it == runners_.end()) {
        // A record without a form is a build fault, not something a user can mend.
        qWarning("no form registered for dialog %s", dialog.name);
        return false;
    }
    return it->second(dialog.record);
}

void QtUserInterface::registerLiveView(LiveViewKind kind, LiveFormFactory factory) {
    liveFactories_[kind] = std::move(factory);
}

std::unique_ptr<LiveView> QtUserInterface::openLiveView(LiveViewKind kind) {
    InterruptFlags* flags = state_ ? &state_->flags : nullptr;
    auto factory = liveFactories_.find(kind);
    if (factory == liveFactories_.end()) {
        qWarning("no window registered for live view kind %s", std::string(kind.name).c_str());
        return std::make_unique<QtLiveView>(nullptr, nullptr);  // does nothing, never crashes the loop
    }
    LiveForm* form = factory->second(flags);
    if (!banner_.empty()) {
        form->setComponentText("FixedOutputLabel", ToQ(banner_));
        form->setComponentVisible("FixedOutputLabel", true);
    }
    QMdiSubWindow* sub = nullptr;
    if (mainWindow_) {
        sub = mainWindow_->mdiArea()->addSubWindow(form);
        // The core's handle decides when the window is destroyed; closing only hides it.
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        sub->setWindowTitle(form->windowTitle());
        sub->resize(sub->sizeHint().expandedTo(form->size() + QSize(16, 40)));
        sub->hide();
    }
    return std::make_unique<QtLiveView>(sub, form);
}

void QtUserInterface::setFixedOutputBanner(const std::string& text) {
    banner_ = text;
    if (mainWindow_) mainWindow_->setFixedOutputBanner(ToQ(text));
}

}  // namespace quillon::ui
