#pragma once

#include <optional>
#include <string>

namespace quillon::cli {

// What the program needs of the console, the same on every platform.
bool StdinIsTerminal();
// Makes the console show the UTF-8 the program writes (a no-op where it already does).
void PrepareConsole();
// A line typed on the terminal; nothing at end of input.
std::optional<std::string> ReadTerminalLine();
// The current time as ISO 8601 UTC with milliseconds: 2026-12-09T02:41:07.125Z.
std::string UtcTimestamp();

// Ctrl+C, SIGTERM and SIGHUP: counted, never acted upon in the handler itself.
void InstallInterruptHandler();
int InterruptCount();
// Ends the run as those signals do, from the program itself (its stdout is gone).
void CountInterrupt();

}  // namespace quillon::cli
