#include "cli/cli_ui.h"

#include <string_view>

#include "cli/output.h"
#include "cli/terminal.h"
#include "cli/wire_watch.h"
#include "link/link_state.h"

namespace quillon::cli {

namespace {

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }
bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The write lock speaks of the button on the device's housing in every form.
bool IsWriteLock(std::string_view text) { return Contains(text, "нажать кнопку"); }

bool IsRepeatQuestion(std::string_view text) {
    return EndsWith(text, "Повторить попытку?") || EndsWith(text, "Повторить попытку ?") ||
           EndsWith(text, "Повторить?");
}

constexpr const char* kYesFlagText = "Запись не подтверждена: для подтверждения добавьте флаг --yes.";

class CliLiveView : public LiveView {
public:
    CliLiveView(CliUserInterface& ui, LiveViewKind kind,
                std::function<void(LiveViewKind, const ViewTexts&)>& onCycle)
        : ui_(ui), kind_(kind), onCycle_(onCycle) {}
    void setCaption(const std::string&) override {}
    void setText(const std::string& component, const std::string& text) override { texts_[component] = text; }
    void setVisible(const std::string& component, bool visible) override {
        if (!visible) texts_.erase(component);
    }
    void show() override {}
    void addTrendPoint(double, double) override {}
    void clearTrend() override {}
    void placeBelow(const std::string&, const std::string&) override {}
    void waitForClose() override {}
    void cycleEnded() override {
        if (onCycle_) onCycle_(kind_, texts_);
    }

private:
    CliUserInterface& ui_;
    LiveViewKind kind_;
    std::function<void(LiveViewKind, const ViewTexts&)>& onCycle_;
    ViewTexts texts_;
};

}  // namespace

MessageAnswer Affirmative(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
        case MessageButtons::OkCancel: return MessageAnswer::Ok;
        default: return MessageAnswer::Yes;
    }
}

MessageAnswer Negative(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok: return MessageAnswer::Ok;
        case MessageButtons::Yes: return MessageAnswer::Yes;
        case MessageButtons::OkCancel: return MessageAnswer::Cancel;
        default: return MessageAnswer::No;
    }
}

void CliUserInterface::startPhase() { phaseStart_ = InterruptCount(); }

MessageAnswer CliUserInterface::message(MessageIcon icon, const std::string& text, MessageButtons buttons,
                                        const std::string&) {
    const bool question = buttons == MessageButtons::YesNo || buttons == MessageButtons::OkCancel ||
                          buttons == MessageButtons::YesNoCancel;
    if (!question) {
        (void)icon;
        out_.message(text);
        return buttons == MessageButtons::Yes ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    return answerQuestion(text, buttons);
}

MessageAnswer CliUserInterface::answerQuestion(const std::string& text, MessageButtons buttons) {
    auto say = [&](MessageAnswer a) {
        const bool yes = a == MessageAnswer::Yes || a == MessageAnswer::Ok;
        out_.message(text + (yes ? " — да" : " — нет"));
        return a;
    };
    // The write lock: only a person who has pressed the button can say "repeat".
    if (IsWriteLock(text)) {
        if (policy_.interactive) return askTerminal(text, buttons);
        return say(Negative(buttons));
    }
    // A file that exists is replaced only when the writes are confirmed.
    if (Contains(text, "уже существует")) {
        if (policy_.yes) return say(Negative(buttons));
        refusedForYes_ = true;
        say(Affirmative(buttons));
        out_.message(kYesFlagText);
        return Affirmative(buttons);
    }
    // "Cancel the write?" after a stop or a silent device: the run gives up.
    if (text.rfind("Отменить", 0) == 0) return say(Affirmative(buttons));
    // Other repeats would loop for ever on a device that keeps refusing.
    if (IsRepeatQuestion(text)) return say(Negative(buttons));
    // Leaving a fixed duty, the flow computer's refused password, a density
    // meter's period: the safe answers.
    if (Contains(text, "Выйти из режима")) return say(Affirmative(buttons));
    if (Contains(text, "Пароль") || Contains(text, "пароль") || Contains(text, "плотномер"))
        return say(Negative(buttons));
    // Anything else asks to confirm a change on the device.
    if (policy_.yes) return say(Affirmative(buttons));
    refusedForYes_ = true;
    say(Negative(buttons));
    out_.message(kYesFlagText);
    return Negative(buttons);
}

MessageAnswer CliUserInterface::askTerminal(const std::string& text, MessageButtons buttons) {
    out_.message(text + " [y/N]");
    const auto line = ReadTerminalLine();
    const bool yes = line && !line->empty() && (line->front() == 'y' || line->front() == 'Y' ||
                                                 line->rfind("д", 0) == 0 || line->rfind("Д", 0) == 0);
    return yes ? Affirmative(buttons) : Negative(buttons);
}

void CliUserInterface::showProgress(const std::string& text) {
    if (policy_.verbose) out_.message(text);
}

void CliUserInterface::setProgressText(const std::string& text) {
    if (policy_.verbose) out_.message(text);
}

void CliUserInterface::setStatusBar(bool visible, const std::string& text) {
    if (visible && !text.empty()) out_.message(text);
}

void CliUserInterface::processEvents() {
    if (!state_) return;
    bool stop = false;
    if (InterruptCount() > phaseStart_) {
        interrupted_ = true;
        stop = true;
    }
    if (watch_) {
        // Ended by the run's own limits, not by the engineer: the outcome must say "no answer".
        if (std::string why = watch_->refusesNextRequest(); !why.empty()) {
            state_->linkFailure = std::move(why);
            stop = true;
        }
    }
    if (stopWhen && stopWhen()) stop = true;
    if (stop) state_->flags.stopRequested = true;
}

bool CliUserInterface::answer(const std::string& name, void* record) {
    auto it = handlers_.find(name);
    if (it == handlers_.end() || it->second.empty()) {
        const auto standing = standing_.find(name);
        return standing != standing_.end() && standing->second(record);
    }
    auto handler = std::move(it->second.front());
    it->second.pop_front();
    return handler(record);
}

std::unique_ptr<LiveView> CliUserInterface::openLiveView(LiveViewKind kind) {
    return std::make_unique<CliLiveView>(*this, kind, onCycle);
}

}  // namespace quillon::cli
