#pragma once

// A real main window on a simulated serial port, with message boxes answered
// from a script and recorded, and a settings file of its own in a temporary
// folder: handed to the window, never looked up where the tool keeps the user's
// (on Windows that place follows no variable a test could point elsewhere).

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTemporaryDir>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "link/settings_store.h"
#include "sim/device_endpoint.h"
#include "sim/device_profile.h"
#include "sim/sim_device.h"
#include "sim/simulated_port.h"
#include "sim/virtual_clock.h"
#include "ui/main_form.h"
#include "ui/qt_user_interface.h"

namespace quillon::uitest {

// One QApplication for the whole test program (it must outlive every widget).
inline QApplication& App() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
    static int argc = 1;
    static char name[] = "quillon_ui_tests";
    static char* argv[] = {name, nullptr};
    auto* app = new QApplication(argc, argv);
    QApplication::setApplicationName("Quillon");
    return *app;
}

struct Box {
    MessageIcon icon;
    std::string text;
    MessageButtons buttons;
    std::string caption;
};

template <typename T>
T* Child(QObject* parent, const char* name) {
    return parent ? parent->findChild<T*>(name) : nullptr;
}

inline void Click(QObject* parent, const char* name) {
    auto* b = Child<QAbstractButton>(parent, name);
    if (b) b->click();
}

struct UiBench {
    explicit UiBench(const char* preset = "rev6", const char* portName = "ttyS7") {
        App();
        settingsPath = QDir(config.path()).filePath(kSettingsFileName).toStdString();
        device = std::make_unique<sim::SimDevice>(sim::Preset(preset), 1);
        endpoint = std::make_unique<sim::DeviceEndpoint>(*device);
        line = &ports.addPort(portName, *endpoint);
        ui.answerMessage = [this](MessageIcon icon, const std::string& text, MessageButtons buttons,
                                  const std::string& caption) {
            boxes.push_back({icon, text, buttons, caption});
            if (!answers.empty()) {
                auto a = answers.front();
                answers.pop_front();
                return a;
            }
            return buttons == MessageButtons::YesNo      ? MessageAnswer::No
                   : buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel
                   : buttons == MessageButtons::Yes      ? MessageAnswer::Yes
                                                         : MessageAnswer::Ok;
        };
    }

    void writeSettings(const std::string& body) {
        std::ofstream out(settingsPath, std::ios::binary);
        out << "[ini_dir_section]\r\n" << body;
    }

    std::string readSettings() const {
        std::ifstream in(settingsPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // The main window after its start-up.
    ui::TMainForm& start() {
        form = std::make_unique<ui::TMainForm>(state, ui, settingsPath, config.path().toStdString());
        form->startUp();
        return *form;
    }

    std::vector<std::string> boxTexts() const {
        std::vector<std::string> out;
        for (const auto& b : boxes) out.push_back(b.text);
        return out;
    }

    QTemporaryDir config;
    std::string settingsPath;
    sim::VirtualClock clock;
    sim::SimulatedPortSystem ports{clock};
    std::unique_ptr<sim::SimDevice> device;
    std::unique_ptr<sim::DeviceEndpoint> endpoint;
    sim::SimLine* line = nullptr;
    ui::QtUserInterface ui;
    AppState state{ui, ports, clock};
    std::vector<Box> boxes;
    std::deque<MessageAnswer> answers;
    std::unique_ptr<ui::TMainForm> form;
};

}  // namespace quillon::uitest
