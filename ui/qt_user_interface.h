#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

#include "link/user_interface.h"

class QDialog;
class QWidget;

namespace quillon {
struct AppState;
}

namespace quillon::ui {

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

    // --- UserInterface ---
    MessageAnswer message(MessageIcon icon, const std::string& text, MessageButtons buttons,
                          const std::string& caption = {}) override;
    void showProgress(const std::string& text) override;
    void setProgressText(const std::string& text) override;
    void closeProgress() override;
    void processEvents() override;
    void setMainCaption(const std::string& caption) override;
    void setMenuItemVisible(MenuItem item, bool visible) override;
    void setMainMenuPresent(bool present) override;
    void setStatusBar(bool visible, const std::string& text) override;
    bool show(LinkDialog& dialog) override;
    void show(IdentityWindow& window) override;
    bool show(ChannelDialog& dialog) override;
    bool show(SerialStringDialog& dialog) override;
    bool show(RequestChoiceDialog& dialog) override;
    bool show(ShortAddressDialog& dialog) override;
    bool show(LongAddressDialog& dialog) override;
    bool show(PreamblesDialog& dialog) override;
    std::unique_ptr<LiveView> openLiveView(LiveViewKind kind) override;

private:
    QWidget* parentWidget() const;
    template <typename Form, typename Record>
    bool runForm(Record& record);

    AppState* state_ = nullptr;
    QPointer<TMainForm> mainWindow_;
    QPointer<TNowOprosForm> progress_;
};

}  // namespace quillon::ui
