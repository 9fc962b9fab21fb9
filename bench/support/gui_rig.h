#pragma once

// The tool as the user runs it, for the GUI benchmarks: the real main window
// (off-screen), the real serial backend and the steady clock, on the
// simulator's pseudo-terminal at HART speed option 2 (19200 baud, no parity,
// its 60 ms pause), polling address 0.

#include <QDialog>
#include <cstdio>
#include <memory>
#include <string>

#include "app/app_state.h"
#include "link/posix/posix_port_system.h"
#include "link/posix/steady_clock.h"
#include "ui/main_form.h"
#include "ui/qt_user_interface.h"

namespace quillon::bench {

struct GuiRig {
    // `reportMessages`: every message box text goes to stderr, for a run that
    // should show none.
    GuiRig(const std::string& portPath, bool reportMessages) {
        ui.attach(s);
        ui.answerMessage = [reportMessages](MessageIcon, const std::string& text, MessageButtons buttons,
                                            const std::string&) {
            if (reportMessages) std::fprintf(stderr, "message: %s\n", text.c_str());
            return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
        };
        ui.onDialogShown = [](QDialog& d) { d.accept(); };  // the identity window
        s.port.performanceFrequency = clock.counterFrequency();
        s.port.portList = {"", portPath};
        s.settings.portIndex = 1;
        s.settings.hartSpeedIndex = 2;
        s.settings.shortAddress = 0;
        s.settings.firstByteWait = 300;
        s.settings.nextByteWait = 50;
        // The window is made once the settings above are in place, as at start-up.
        window = std::make_unique<ui::TMainForm>(s, ui, "/dev/null", "/tmp");
        window->resize(1024, 768);
        window->show();
    }

    ui::QtUserInterface ui;
    SteadyClock clock;
    PosixPortSystem ports;
    AppState s{ui, ports, clock};
    std::unique_ptr<ui::TMainForm> window;
};

}  // namespace quillon::bench
