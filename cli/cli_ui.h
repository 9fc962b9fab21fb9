#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/live_view.h"
#include "link/user_interface.h"

namespace quillon {
struct LinkState;
}

namespace quillon::cli {

class Output;
class WireWatch;

// What a live window was told, as the loop sets its components.
using ViewTexts = std::map<std::string, std::string>;

// The user-interface port on a console: messages to stderr, questions answered
// from the command line's flags, dialogs filled by the sub-command that runs.
// It never waits for a key unless stdin is a terminal and the question is one
// a person at the bench may answer (the write lock's "repeat?").
class CliUserInterface : public UserInterface {
public:
    struct Policy {
        bool yes = false;          // --yes: confirm writes
        bool interactive = false;  // stdin is a terminal
        bool verbose = false;      // progress texts to stderr
    };

    CliUserInterface(Output& out, Policy policy) : out_(out), policy_(policy) {}

    void attach(LinkState& state, WireWatch& watch) {
        state_ = &state;
        watch_ = &watch;
    }

    // The next show() of dialog `name` runs `handler`; a dialog shown again
    // (the core found its entries wrong) or one nobody expects is cancelled.
    template <typename Dialog>
    void answerDialog(const std::string& name, std::function<bool(Dialog&)> handler) {
        handlers_[name].push_back([handler](void* d) { return handler(*static_cast<Dialog*>(d)); });
    }
    template <NamedDialog Dialog>
    void answerDialog(std::function<bool(Dialog&)> handler) {
        answerDialog<Dialog>(Dialog::kDialogName, std::move(handler));
    }
    // The answer to a question every command may meet (the measuring
    // channel), used whenever no one-shot answer is queued.
    template <NamedDialog Dialog>
    void answerAlways(std::function<bool(Dialog&)> handler) {
        standing_[Dialog::kDialogName] = [handler](void* d) { return handler(*static_cast<Dialog*>(d)); };
    }

    // Each completed cycle of a polling loop, with what its window shows now.
    std::function<void(LiveViewKind, const ViewTexts&)> onCycle;
    // Asked at every processEvents(): true ends the running loop or wait.
    std::function<bool()> stopWhen;

    // Ctrl+C pressed before this call no longer stops what runs next (the
    // release after a hold must still go out).
    void startPhase();
    bool interrupted() const { return interrupted_; }
    bool interactive() const { return policy_.interactive; }

    // A file that exists was not replaced because --yes was not given.
    bool refusedForYes() const { return refusedForYes_; }

    // --- UserInterface ---
    MessageAnswer message(MessageIcon icon, const std::string& text, MessageButtons buttons,
                          const std::string& caption) override;
    void showProgress(const std::string& text) override;
    void setProgressText(const std::string& text) override;
    void closeProgress() override {}
    void processEvents() override;
    void setMainCaption(const std::string&) override {}
    void setMenuItemVisible(MenuItem, bool) override {}
    void setMainMenuPresent(bool) override {}
    void setStatusBar(bool visible, const std::string& text) override;
    bool show(LinkDialog& dialog) override { return answer("LinkDialog", &dialog); }
    using UserInterface::show;
    bool showDialog(const DialogRef& dialog) override { return answer(dialog.name, dialog.record); }
    std::unique_ptr<LiveView> openLiveView(LiveViewKind kind) override;

private:
    bool answer(const std::string& name, void* record);
    MessageAnswer answerQuestion(const std::string& text, MessageButtons buttons);
    MessageAnswer askTerminal(const std::string& text, MessageButtons buttons);

    Output& out_;
    Policy policy_;
    LinkState* state_ = nullptr;
    WireWatch* watch_ = nullptr;
    std::map<std::string, std::deque<std::function<bool(void*)>>> handlers_;
    std::map<std::string, std::function<bool(void*)>> standing_;
    int phaseStart_ = 0;
    bool interrupted_ = false;
    bool refusedForYes_ = false;
};

// Positive and negative answers of a button set.
MessageAnswer Affirmative(MessageButtons buttons);
MessageAnswer Negative(MessageButtons buttons);

}  // namespace quillon::cli
