#pragma once

namespace quillon::cli {

// The program's exit statuses; --help lists them, scripts test them.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitUsage = 1;             // bad arguments, or a write not confirmed with --yes
inline constexpr int kExitNoAnswer = 2;          // no answer, a damaged one, or no usable port
inline constexpr int kExitDeviceRefused = 3;     // an error response code, or an answer that does not fit
inline constexpr int kExitFileError = 4;         // a file could not be read or written
inline constexpr int kExitWriteProtected = 5;    // the device's write lock (the button on its housing)
inline constexpr int kExitNotPossible = 6;       // this device or link has no such command; nothing was sent
inline constexpr int kExitInterrupted = 130;     // Ctrl+C

inline constexpr const char* kExitStatusHelp =
    "Exit statuses:\n"
    "  0    success\n"
    "  1    usage error, or a write refused because --yes was not given\n"
    "  2    no answer from the device or the flow computer, or the link failed\n"
    "  3    the device refused (an error response code) or answered what does not fit\n"
    "  4    a file could not be read or written\n"
    "  5    the device is write-protected: press the button on its housing and run again\n"
    "  6    not possible on this device or link (nothing was sent)\n"
    "  130  interrupted (Ctrl+C)\n";

}  // namespace quillon::cli
