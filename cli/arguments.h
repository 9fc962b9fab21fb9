#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/session.h"

namespace CLI {
class App;
}

namespace quillon::cli {

// Everything one command line asks for: the flags every sub-command shares,
// which sub-command ("setting get", "poll", ...) and its own values.
struct Invocation {
    CommonOptions common;
    std::optional<int> channel;
    std::optional<double> timeoutSeconds;

    std::string command;  // the sub-command path, words separated by a space
    PollOptions poll;
    SettingOptions setting;
    BlockOptions block;
    int shortAddress = 0;
    std::optional<int> preambles;
    std::string calibrationFile;
    bool clearExtraPoint = false;  // calibration write: the device's extra point may go
    FixOptions fix;
    int scanTo = 15;
    RawCommandOptions raw;
    std::string newTag;
    std::string batchFile;
};

// Declares every option and sub-command on `app`, writing into `into`.
// Global options may come anywhere, before or after the sub-command.
void DeclareCommandLine(CLI::App& app, Invocation& into);

// Parses `args` (without the program name). Nothing: parsed, `into.command`
// set. Otherwise the exit status, after --help, --version or the error was printed.
std::optional<int> ParseCommandLine(CLI::App& app, Invocation& into, std::vector<std::string> args);

// The sub-command a mistyped word was probably meant to be, for the message
// "unknown sub-command"; empty when no known one is close.
std::string ClosestName(const std::string& typed, const std::vector<std::string>& known);

// Splits one line of a batch file into words: spaces separate, "..." and '...'
// quote, # starts a comment. Nothing for a line with an unclosed quote.
std::optional<std::vector<std::string>> SplitBatchLine(const std::string& line);

}  // namespace quillon::cli
