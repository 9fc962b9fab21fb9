#pragma once

#include <optional>
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
    int attempts = 3;  // requests in a row without an answer before an operation gives up
    std::optional<std::string> longAddress;  // --long-address: 10 hex digits
    std::optional<std::string> tag;          // --tag: the device found by its tag
    LinkOptions link;
};

// One run of the program: its state, its console and what the wire saw. A
// batch runs all its steps in one session: the link is chosen and the device
// identified once.
struct Session {
    const CommonOptions& options;
    Output& out;
    CliUserInterface& ui;
    AppState& state;
    WireWatch& watch;
    bool linkPrepared = false;
    // --long-address, --tag: the device was found on the line (once per session),
    // or the status of why it was not.
    bool deviceSelected = false;
    // Why the device could not be found or identified, as an exit status.
    int failureStatus = 0;
};

// Writes need --yes; without it this says so (the caller returns the usage status).
bool WritesConfirmed(Session& x, const std::string& what);

// The link from the settings and the flags, once per session; 0, or the exit
// status after the reason was printed.
int PrepareLink(Session& x);

// The device identified for the link (the link must be open), found first
// with --long-address or --tag; false after the reason was shown.
bool Identify(Session& x);
// The exit status of an identification that failed, from its outcome.
int IdentifyFailureStatus(const Session& x);

// Runs `body` (which returns an exit status) with the link open and the
// device identified.
template <typename Body>
int WithDevice(Session& x, Body&& body);

// With --save-settings the link as used goes back to the settings file.
bool SaveSettingsIfAsked(Session& x);

}  // namespace quillon::cli

#include "cli/session_inl.h"
