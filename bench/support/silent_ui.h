#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "link/live_view.h"
#include "link/user_interface.h"

namespace quillon::bench {

// A user interface for timing runs: nothing is shown, boxes are printed to
// stderr so an unexpected one is not missed.
class SilentUi : public UserInterface {
public:
    MessageAnswer message(MessageIcon, const std::string& text, MessageButtons buttons, const std::string&) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
    void showProgress(const std::string&) override {}
    void setProgressText(const std::string&) override {}
    void closeProgress() override {}
    void processEvents() override {}
    void setMainCaption(const std::string&) override {}
    void setMenuItemVisible(MenuItem, bool) override {}
    void setMainMenuPresent(bool) override {}
    void setStatusBar(bool, const std::string&) override {}
    bool show(LinkDialog&) override { return false; }
    bool showDialog(const DialogRef&) override { return false; }
    std::unique_ptr<LiveView> openLiveView(LiveViewKind) override { return nullptr; }
};

}  // namespace quillon::bench
