#pragma once

#include <concepts>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>

namespace quillon {

enum class MessageIcon { Error, Warning, Information, Confirmation };
enum class MessageButtons { Ok, Yes, YesNo, OkCancel, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

// A main-menu item, known by its component name. The port names none: each
// subsystem declares the items of its own commands (device/menu_items.h, ...).
struct MenuItem {
    std::string_view name;
    friend bool operator==(const MenuItem&, const MenuItem&) = default;
    friend auto operator<=>(const MenuItem&, const MenuItem&) = default;
};

// The link dialog TForm2: the one dialog of the link layer itself. Every
// other dialog record names itself and goes through the typed entry point below.
struct LinkDialog;

// A dialog record that names itself: `static constexpr const char* kDialogName`.
// Records of this kind go through the one typed entry point below, so that a
// subsystem adds a dialog without touching this port or its implementations'
// declarations: its Qt form registers with the Qt side, and the scripted
// double answers it by name.
template <typename Dialog>
concept NamedDialog = requires {
    { Dialog::kDialogName } -> std::convertible_to<const char*>;
};

struct DialogRef {
    const std::type_info& type;
    const char* name;
    void* record;
};

class LiveView;
// A window of a long loop (statistics, measuring windows, the code view),
// known by name. Each subsystem declares its own kinds, and the Qt side
// builds each from a factory registered under the same name.
struct LiveViewKind {
    std::string_view name;
    friend bool operator==(const LiveViewKind&, const LiveViewKind&) = default;
    friend auto operator<=>(const LiveViewKind&, const LiveViewKind&) = default;
};

// Everything the core says to the user goes through this port. The Qt
// implementation lives in ui/; tests use a scripted double.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    virtual MessageAnswer message(MessageIcon icon, const std::string& text, MessageButtons buttons,
                                  const std::string& caption = {}) = 0;

    // The same box with its top-left corner at (left, top) of the screen, for
    // dialogs that report beside themselves. Without a place of its own the
    // box goes where message() puts it.
    virtual MessageAnswer messageAt(MessageIcon icon, const std::string& text, MessageButtons buttons, int left,
                                    int top) {
        (void)left;
        (void)top;
        return message(icon, text, buttons);
    }

    // Progress window TNowOprosForm: modeless, caption "Обращение к устройству".
    virtual void showProgress(const std::string& text) = 0;
    virtual void setProgressText(const std::string& text) = 0;
    virtual void closeProgress() = 0;

    // Lets pending window messages (keys, button clicks) be handled during a wait.
    virtual void processEvents() = 0;

    // Main window.
    virtual void setMainCaption(const std::string& caption) = 0;
    virtual void setMenuItemVisible(MenuItem item, bool visible) = 0;
    virtual void setMainMenuPresent(bool present) = 0;
    virtual void setStatusBar(bool visible, const std::string& text) = 0;

    // Modal dialogs: true when confirmed (OK), false when closed or cancelled.
    virtual bool show(LinkDialog& dialog) = 0;

    // Every named dialog record: true when confirmed (OK).
    template <NamedDialog Dialog>
    bool show(Dialog& dialog) {
        return showDialog(DialogRef{typeid(Dialog), Dialog::kDialogName, &dialog});
    }
    virtual bool showDialog(const DialogRef& dialog) = 0;

    // Windows of long loops (polling): created hidden, driven through LiveView.
    virtual std::unique_ptr<LiveView> openLiveView(LiveViewKind kind) = 0;

    // The banner that says the device holds a fixed output (main window and
    // statistics window); empty hides it.
    virtual void setFixedOutputBanner(const std::string& text) { (void)text; }
};

}  // namespace quillon
