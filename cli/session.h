#pragma once

#include <string>

#include "app/app_state.h"
#include "cli/cli_ui.h"
#include "cli/link_options.h"
#include "cli/output.h"
#include "cli/wire_watch.h"

namespace quillon::cli {

// Flags every sub-command shares.
struct CommonOptions {
    bool yes = false;
    bool json = false;
    bool trace = false;
    bool verbose = false;
    int attempts = 3;  // failed exchanges in a row before an operation gives up
    LinkOptions link;
};

// One run of the program: its state, its console and what the wire saw.
struct Session {
    const CommonOptions& options;
    Output& out;
    CliUserInterface& ui;
    AppState& state;
    WireWatch& watch;
};

// The exit status of a sub-command from what it knows (`ok`) and what the
// console and the wire saw on the way.
int Status(const Session& x, bool ok);

// Writes need --yes; without it this says so and gives the status to return.
bool WritesConfirmed(Session& x, const std::string& what);

// The link from the settings and the flags; false after the reason was printed.
bool PrepareLink(Session& x);

// The device identified for the link (the port must be open); false after
// the reason was shown.
bool Identify(Session& x);

// With --save-settings the link as used goes back to the settings file.
bool SaveSettingsIfAsked(Session& x);

}  // namespace quillon::cli
