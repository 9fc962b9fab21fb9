#pragma once

#include <functional>
#include <memory>
#include <string>

namespace quillon {

enum class MessageIcon { Error, Warning, Information, Confirmation };
enum class MessageButtons { Ok, Yes, YesNo, OkCancel };
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

class LiveView;  // TStatistikaForm, TShowAllForm
enum class LiveViewKind { Statistics, ShowAll };

// Everything the core says to the user goes through this port. The Qt
// implementation lives in ui/; tests use a scripted double.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    virtual MessageAnswer message(MessageIcon icon, const std::string& text, MessageButtons buttons,
                                  const std::string& caption = {}) = 0;

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

    // Windows of long loops (polling): created hidden, driven through LiveView.
    virtual std::unique_ptr<LiveView> openLiveView(LiveViewKind kind) = 0;
};

}  // namespace quillon
