#pragma once

class QMenu;

namespace quillon {
struct AppState;
}

namespace quillon::ui {

class QtUserInterface;
class TMainForm;

// The frame monitor and the loop scan in the "Связь" menu. The monitor's key
// works while a poll has the menu bar removed too.
void AddLinkToolItems(TMainForm* form, QMenu* menu, AppState& state);

// Registers the loop scan window with the Qt side of the interface.
void RegisterMonitorForms(QtUserInterface& ui);

}  // namespace quillon::ui
