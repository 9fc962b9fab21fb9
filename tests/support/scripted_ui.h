#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/live_view.h"
#include "link/user_interface.h"

namespace quillon::testing {

struct RecordedMessage {
    MessageIcon icon;
    std::string text;
    MessageButtons buttons;
    std::string caption;
};

// What a live window was told, kept after the window itself is gone.
struct ViewRecord {
    LiveViewKind kind;
    std::string caption;
    std::map<std::string, std::string> texts;
    std::map<std::string, bool> visible;
    std::map<std::string, std::string> placedBelow;
    std::vector<std::pair<double, double>> trend;
    bool shown = false;
    bool waitedForClose = false;
    // Every text a component ever showed, in order.
    std::map<std::string, std::vector<std::string>> history;
};

// Test double of the user interface: answers from a script and records every
// message box, progress text and window change in order.
class ScriptedUi : public UserInterface {
public:
    // --- script ---
    void answerMessages(std::initializer_list<MessageAnswer> answers);
    // The next show() of the dialog named `name` (LinkDialog, ShortAddressDialog,
    // ...) runs `handler`, which edits the record and returns OK (true) or Cancel.
    template <typename Dialog>
    void onDialog(const std::string& name, std::function<bool(Dialog&)> handler) {
        dialogHandlers_[name].push_back([handler](void* d) { return handler(*static_cast<Dialog*>(d)); });
    }
    // The same for a record that names itself.
    template <NamedDialog Dialog>
    void onDialog(std::function<bool(Dialog&)> handler) {
        onDialog<Dialog>(Dialog::kDialogName, std::move(handler));
    }
    // Runs at each processEvents(): the place where a test presses keys or clicks Stop.
    std::function<void()> onProcessEvents;
    // Runs when a live window waits to be closed after its loop.
    std::function<void()> onWaitForClose;

    // --- record ---
    std::vector<RecordedMessage> messages;
    std::vector<std::string> progressTexts;  // every text the progress window showed
    std::vector<std::string> events;         // everything, in order, as readable lines
    std::vector<std::string> dialogsShown;   // names, in order (also those without a handler)
    std::vector<std::shared_ptr<ViewRecord>> views;
    std::string mainCaption;
    std::map<MenuItem, bool> menuVisible;
    bool mainMenuPresent = true;
    bool statusBarVisible = false;
    std::string statusBarText;
    bool progressOpen = false;
    int processEventsCalls = 0;
    // Where boxes shown beside a dialog were placed (left, top), by index in `messages`.
    std::map<std::size_t, std::pair<int, int>> messagePlaces;

    std::vector<std::string> messageTexts() const;
    void clearRecord();

    // --- UserInterface ---
    MessageAnswer message(MessageIcon icon, const std::string& text, MessageButtons buttons,
                          const std::string& caption) override;
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
    bool show(LinkDialog& dialog) override { return answerDialog("LinkDialog", &dialog); }
    using UserInterface::show;
    bool showDialog(const DialogRef& dialog) override { return answerDialog(dialog.name, dialog.record); }
    std::unique_ptr<LiveView> openLiveView(LiveViewKind kind) override;
    void setFixedOutputBanner(const std::string& text) override;
    // The fixed-output banner as last shown.
    std::string fixedOutputBanner;

private:
    bool answerDialog(const std::string& name, void* dialog);
    std::deque<MessageAnswer> answers_;
    std::map<std::string, std::deque<std::function<bool(void*)>>> dialogHandlers_;
};

}  // namespace quillon::testing
