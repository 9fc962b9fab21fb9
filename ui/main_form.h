#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <string>

#include "link/user_interface.h"

class QAction;
class QFileDialog;
class QLabel;
class QMdiArea;
class QMenu;
class QTimer;

namespace quillon {
struct AppState;
}

namespace quillon::ui {

class KeyHookFilter;
class QtUserInterface;

// The tool's only permanent window: the menu from which every command starts,
// a caption with port and short address, the polling windows inside it, and a
// hidden status bar that identification may use.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    TMainForm(AppState& state, QtUserInterface& ui, std::string settingsPath, std::string programDirectory,
              QWidget* parent = nullptr);
    ~TMainForm() override;

    // Ports, settings, key hook, counter frequency, port, caption, in that order.
    void startUp();

    QMdiArea* mdiArea() const { return mdi_; }
    QAction* menuAction(MenuItem item) const;
    QFileDialog* openDialog1() const { return openDialog1_; }
    QFileDialog* saveDialog1() const { return saveDialog1_; }
    bool commandRunning() const { return busy_; }
    const std::string& settingsPath() const { return settingsPath_; }

    void setMenuItemVisible(MenuItem item, bool visible);
    void setMainMenuPresent(bool present);
    void setStatusBarText(bool visible, const QString& text);
    // The coloured banner under the menu while the device holds a fixed output;
    // the polling windows show it too. Empty hides it.
    void setFixedOutputBanner(const QString& text);
    QLabel* fixedOutputBanner() const { return banner_; }

    // Runs one command with the menu blocked, so that none starts inside it;
    // an error that escapes it is shown and the tool goes on.
    void runCommand(const std::function<void()>& command);

public slots:
    void menuCommand(quillon::MenuItem item);
    void paramConnectClick();
    void n3Click();
    void aboutPrgItemClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption);

    AppState& state_;
    QtUserInterface& ui_;
    std::string settingsPath_;
    std::string programDirectory_;
    QMdiArea* mdi_;
    std::map<MenuItem, QAction*> items_;
    QLabel* statusPanel_ = nullptr;
    QFileDialog* openDialog1_ = nullptr;
    QFileDialog* saveDialog1_ = nullptr;
    KeyHookFilter* keyHook_ = nullptr;
    bool busy_ = false;
    bool closePending_ = false;
    QLabel* banner_ = nullptr;
    QTimer* keepAlive_ = nullptr;  // HART-IP keep-alives while the tool is idle
};

}  // namespace quillon::ui
