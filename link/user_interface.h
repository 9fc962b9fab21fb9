#pragma once

#include <concepts>
#include <functional>
#include <memory>
#include <string>
#include <typeinfo>

namespace quillon {

enum class MessageIcon { Error, Warning, Information, Confirmation };
enum class MessageButtons { Ok, Yes, YesNo, OkCancel, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

// Menu items whose visibility or enabling the core changes.
enum class MenuItem {
    ParamConnect,
    Statistika,
    SelectChannelMenu,
    ChangeShortAddr,
    ShangeLongAddrMenu,
    ADParams,
    DACParams,
    Calibrovka,
    MeasParamsItem,
    ValueCorrection,
    PreambulsMenu,
    ConstPlotnomerItem,
    FixTokMenuItem,
    AD_Code_Show,
    AskReq3Item,
    ReadingTag,
    SaveId,
    ChangeModbusAddrItem,
};

// Dialogs: plain records of what the form shows and what the user typed.
// Each is defined beside the operation that uses it.
struct LinkDialog;           // TForm2
struct IdentityWindow;       // TLongAddrForm
struct ChannelDialog;        // TSelectChannelForm
struct SerialStringDialog;   // TGetSerialStringForm
struct RequestChoiceDialog;  // TSelectRequestForm
struct ShortAddressDialog;   // TShortAddrForm
struct LongAddressDialog;    // TGetLongAddrForm
struct PreamblesDialog;      // TPreamblesForm

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

class LiveView;  // TStatistikaForm, TShowAllForm, the measuring windows
// Windows of long loops. The Qt side builds each kind from a factory that the
// subsystem owning the window registers.
enum class LiveViewKind {
    Statistics,          // TStatistikaForm
    ShowAll,             // TShowAllForm
    Calibration,         // TCalibrovkaForm
    CalibrationAmbient,  // TCalibrTOkrForm
    CodeView,            // TShowCodeForm
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
    virtual void show(IdentityWindow& window) = 0;
    virtual bool show(ChannelDialog& dialog) = 0;
    virtual bool show(SerialStringDialog& dialog) = 0;
    virtual bool show(RequestChoiceDialog& dialog) = 0;
    virtual bool show(ShortAddressDialog& dialog) = 0;
    virtual bool show(LongAddressDialog& dialog) = 0;
    virtual bool show(PreamblesDialog& dialog) = 0;

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
