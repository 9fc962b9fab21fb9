#include "support/scripted_ui.h"

namespace quillon::testing {

namespace {

const char* IconName(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Error: return "error";
        case MessageIcon::Warning: return "warning";
        case MessageIcon::Information: return "information";
        case MessageIcon::Confirmation: return "confirmation";
    }
    return "?";
}

class RecordingView : public LiveView {
public:
    RecordingView(std::shared_ptr<ViewRecord> record, ScriptedUi& ui) : record_(std::move(record)), ui_(ui) {}
    void setCaption(const std::string& caption) override { record_->caption = caption; }
    void setText(const std::string& component, const std::string& text) override {
        record_->texts[component] = text;
        record_->history[component].push_back(text);
    }
    void setVisible(const std::string& component, bool visible) override { record_->visible[component] = visible; }
    void show() override { record_->shown = true; }
    void addTrendPoint(double seconds, double value) override { record_->trend.emplace_back(seconds, value); }
    void clearTrend() override { record_->trend.clear(); }
    void placeBelow(const std::string& component, const std::string& anchor) override {
        record_->placedBelow[component] = anchor;
    }
    void waitForClose() override {
        record_->waitedForClose = true;
        if (ui_.onWaitForClose) ui_.onWaitForClose();
    }

private:
    std::shared_ptr<ViewRecord> record_;
    ScriptedUi& ui_;
};

}  // namespace

void ScriptedUi::answerMessages(std::initializer_list<MessageAnswer> answers) {
    answers_.insert(answers_.end(), answers.begin(), answers.end());
}

std::vector<std::string> ScriptedUi::messageTexts() const {
    std::vector<std::string> out;
    for (const auto& m : messages) out.push_back(m.text);
    return out;
}

void ScriptedUi::clearRecord() {
    messages.clear();
    messagePlaces.clear();
    progressTexts.clear();
    events.clear();
    dialogsShown.clear();
    views.clear();
}

MessageAnswer ScriptedUi::message(MessageIcon icon, const std::string& text, MessageButtons buttons,
                                  const std::string& caption) {
    messages.push_back({icon, text, buttons, caption});
    events.push_back(std::string("message ") + IconName(icon) + ": " + text);
    if (!answers_.empty()) {
        MessageAnswer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    // Unscripted questions are declined, so a forgotten answer cannot loop forever.
    switch (buttons) {
        case MessageButtons::Ok: return MessageAnswer::Ok;
        case MessageButtons::Yes: return MessageAnswer::Yes;
        case MessageButtons::YesNo: return MessageAnswer::No;
        case MessageButtons::OkCancel: return MessageAnswer::Cancel;
        case MessageButtons::YesNoCancel: return MessageAnswer::Cancel;
    }
    return MessageAnswer::Ok;
}

MessageAnswer ScriptedUi::messageAt(MessageIcon icon, const std::string& text, MessageButtons buttons, int left,
                                    int top) {
    messagePlaces[messages.size()] = {left, top};
    return message(icon, text, buttons, {});
}

void ScriptedUi::showProgress(const std::string& text) {
    progressOpen = true;
    progressTexts.push_back(text);
    events.push_back("progress shown: " + text);
}

void ScriptedUi::setProgressText(const std::string& text) {
    progressTexts.push_back(text);
    events.push_back("progress: " + text);
}

void ScriptedUi::closeProgress() {
    progressOpen = false;
    events.push_back("progress closed");
}

void ScriptedUi::processEvents() {
    ++processEventsCalls;
    if (onProcessEvents) onProcessEvents();
}

void ScriptedUi::setMainCaption(const std::string& caption) {
    mainCaption = caption;
    events.push_back("caption: " + caption);
}

void ScriptedUi::setMenuItemVisible(MenuItem item, bool visible) { menuVisible[item] = visible; }

void ScriptedUi::setMainMenuPresent(bool present) {
    mainMenuPresent = present;
    events.push_back(present ? "menu restored" : "menu removed");
}

void ScriptedUi::setStatusBar(bool visible, const std::string& text) {
    statusBarVisible = visible;
    statusBarText = text;
}

std::unique_ptr<LiveView> ScriptedUi::openLiveView(LiveViewKind kind) {
    auto record = std::make_shared<ViewRecord>();
    record->kind = kind;
    views.push_back(record);
    events.push_back("view opened");
    return std::make_unique<RecordingView>(record, *this);
}

bool ScriptedUi::answerDialog(const std::string& name, void* dialog) {
    dialogsShown.push_back(name);
    events.push_back("dialog: " + name);
    auto it = dialogHandlers_.find(name);
    if (it == dialogHandlers_.end() || it->second.empty()) return false;
    auto handler = std::move(it->second.front());
    it->second.pop_front();
    return handler(dialog);
}

void ScriptedUi::setFixedOutputBanner(const std::string& text) {
    fixedOutputBanner = text;
    events.push_back("banner: " + text);
}

}  // namespace quillon::testing
