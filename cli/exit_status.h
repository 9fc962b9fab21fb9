#pragma once

namespace quillon::cli {

// The program's exit statuses; --help and the manual list them, scripts test them.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitUsage = 1;             // bad arguments or values, or a write not confirmed with --yes
inline constexpr int kExitNoAnswer = 2;          // no answer, a damaged one, or no usable link
inline constexpr int kExitDeviceRefused = 3;     // an error response code, or an answer that does not fit
inline constexpr int kExitFileError = 4;         // a file could not be read or written
inline constexpr int kExitWriteProtected = 5;    // the device's write lock (the button on its housing)
inline constexpr int kExitNotPossible = 6;       // this device or link has no such command; nothing was sent
inline constexpr int kExitTimeout = 124;         // --timeout ran out
inline constexpr int kExitInterrupted = 130;     // Ctrl+C, SIGTERM or SIGHUP

inline constexpr const char* kExitStatusHelp =
    "Exit statuses:\n"
    "  0    success\n"
    "  1    usage error: a bad option or value, a value out of range, or a write\n"
    "       refused because --yes was not given (nothing was sent)\n"
    "  2    no answer from the device or the flow computer, or the link failed\n"
    "       (a poll: its last --attempts polls went unanswered, or the link was lost)\n"
    "  3    the device refused (an error response code) or answered what does not fit\n"
    "  4    a file could not be read or written\n"
    "  5    the device is write-protected: press the button on its housing and run again\n"
    "  6    not possible on this device or link (nothing was sent)\n"
    "  124  --timeout ran out\n"
    "  130  interrupted (Ctrl+C, SIGTERM, SIGHUP); a held output was released\n"
    "A held output whose release fails gives the release's status, not 130.\n";

}  // namespace quillon::cli
