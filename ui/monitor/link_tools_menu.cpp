#include "ui/monitor/link_tools_menu.h"

#include <QAction>
#include <QMenu>

#include "app/app_state.h"
#include "device/loop_scan.h"
#include "ui/main_form.h"
#include "ui/monitor/loop_scan_form.h"
#include "ui/monitor/monitor_form.h"
#include "ui/qt_user_interface.h"

namespace quillon::ui {

void AddLinkToolItems(TMainForm* form, QMenu* menu, AppState& state) {
    QAction* monitor = menu->addAction("Монитор обмена");
    monitor->setObjectName("MonitorItem");
    monitor->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    // Also on the window itself: its key must open the monitor during a poll,
    // while the menu bar is gone.
    form->addAction(monitor);
    QObject::connect(monitor, &QAction::triggered, form, [form, &state] { ShowMonitorWindow(form, state); });

    QAction* scan = menu->addAction("Поиск устройств на линии");
    scan->setObjectName("LoopScanItem");
    QObject::connect(
        scan, &QAction::triggered, form, [form, &state] { form->runCommand([&state] { LoopScanCommand(state); }); },
        Qt::QueuedConnection);
}

void RegisterMonitorForms(QtUserInterface& ui) { ui.registerForm<TLoopScanForm, LoopScanDialog>(); }

}  // namespace quillon::ui
