#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <typeindex>

#include "link/user_interface.h"

class QDialog;
class QWidget;

namespace quillon {
struct AppState;
struct InterruptFlags;
}  // namespace quillon

namespace quillon::ui {

class LiveForm;
class TMainForm;
class TNowOprosForm;

// The Qt side of the user-interface port: message boxes, the progress window,
// the modal dialogs (record -> widgets, exec, widgets -> record) and the
// polling windows inside the main window.
class QtUserInterface : public UserInterface {
public:
    QtUserInterface();
    ~QtUserInterface() override;
    QtUserInterface(const QtUserInterface&) = delete;
    QtUserInterface& operator=(const QtUserInterface&) = delete;

    // The state exists only after the interface (it takes the interface by
    // reference); the Stop buttons need its interrupt flags.
    void attach(AppState& state);
    // Called by the main window when it is built and when it goes away.
    void attachMainWindow(TMainForm* window);

    // Test seams. When set, a message box is answered by this function instead
    // of being shown; and every modal dialog, once its event loop runs, is
    // handed to onDialogShown, which may fill it and press its buttons.
    std::function<MessageAnswer(MessageIcon, const std::string& text, MessageButtons, const std::string& caption)>
        answerMessage;
    std::function<void(QDialog&)> onDialogShown;

    TNowOprosForm* progressWindow() const;
    // Runs a modal dialog of the tool (also those without a record, such as
    // the about window); true when it was accepted.
    bool runDialog(QDialog& dialog);
    // The window a new dialog belongs to: the modal one on top, else the main window.
    QWidget* parentWidget() const;
    AppState* state() const { return state_; }

    // Each subsystem registers the forms of its named dialog records (see
    // registered_forms.h). A runner shows the form for the record and returns
    // true when it was confirmed.
    template <NamedDialog Record>
    void registerDialog(std::function<bool(Record&)> runner) {
        runners_[std::type_index(typeid(Record))] = [runner](void* r) { return runner(*static_cast<Record*>(r)); };
        registeredNames_.insert(Record::kDialogName);
    }
    // The names of every record that has a form, for walking them all.
    const std::set<std::string>& registeredDialogNames() const { return registeredNames_; }
    // The usual runner: a QDialog with load(record) and store(record); the
    // record takes what was typed only when the dialog is accepted.
    template <typename Form, NamedDialog Record>
    void registerForm() {
        registerDialog<Record>([this](Record& r) { return runForm<Form>(r); });
    }
    template <typename Form, typename Record>
    bool runForm(Record& record) {
        Form form(parentWidget());
        form.load(record);
        const bool ok = runDialog(form);
        if (ok) form.store(record);
        return ok;
    }

    // Windows of long loops, by kind; the factory builds the form hidden.
    using LiveFormFactory = std::function<LiveForm*(InterruptFlags* flags)>;
    void registerLiveView(LiveViewKind kind, LiveFormFactory factory);

    // --- UserInterface ---
    MessageAnswer message(MessageIcon icon, const std::string& text, MessageButtons buttons,
                          const std::string& caption = {}) override;
    MessageAnswer messageAt(MessageIcon icon, const std::string& text, MessageButtons buttons, int left,
                            int top) override;
    void showProgress(const std::string& text) override;
    void setProgressText(const std::string& text) override;
    void closeProgress() override;
    void processEvents() override;
    void setMainCaption(const std::string& caption) override;
    void setMenuItemVisible(MenuItem item, bool visible) override;
    void setMainMenuPresent(bool present) override;
    void setStatusBar(bool visible, const std::string& text) override;
    bool show(LinkDialog& dialog) override;
    using UserInterface::show;
    bool showDialog(const DialogRef& dialog) override;
    std::unique_ptr<LiveView> openLiveView(LiveViewKind kind) override;
    void setFixedOutputBanner(const std::string& text) override;

private:
    std::string banner_;
    std::map<std::type_index, std::function<bool(void*)>> runners_;
    std::set<std::string> registeredNames_;
    std::map<LiveViewKind, LiveFormFactory> liveFactories_;
    AppState* state_ = nullptr;
    QPointer<TMainForm> mainWindow_;
    QPointer<TNowOprosForm> progress_;
    // Where the next message box goes, when a dialog asked for a place.
    std::optional<QPoint> messagePlace_;
};

}  // namespace quillon::ui
