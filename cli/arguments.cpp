#include "cli/arguments.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>

#include "app/version.h"
#include "cli/exit_status.h"
#include "cli/json_values.h"
#include "cli/number_options.h"

namespace quillon::cli {

namespace {

// Longest pause and run a script may ask for: about four months.
constexpr double kLongestSeconds = 1e7;

void AddFixCommand(CLI::App& app, Invocation& v, const char* name, const char* help, const char* valueHelp) {
    auto* c = app.add_subcommand(name, help);
    c->add_option("VALUE", v.fix.valueText, valueHelp)->required()->check(SingleCheck());
    AddDecimal(*c, "--hold", v.fix.holdSeconds, "hold this many seconds, then release (default: until a signal)",
               0.001, kLongestSeconds);
    c->add_flag("--leave-fixed", v.fix.leaveFixed, "do not release on exit (release later with `release`)");
}

// A file name given as "" would be taken as "no file" by some paths and as
// the current folder by others; it is refused at once.
CLI::Validator NonEmptyFileName() {
    return CLI::Validator(
        [](std::string& name) { return name.empty() ? std::string("имя файла не задано") : std::string(); }, "FILE");
}

const CLI::Option* FindOption(CLI::App& level, const std::string& name) {
    if (const CLI::Option* opt = level.get_option_no_throw(name)) return opt;
    for (CLI::App* sub : level.get_subcommands({}))
        if (const CLI::Option* opt = FindOption(*sub, name)) return opt;
    return nullptr;
}

// The words of the command line that are not options or their values: the
// sub-command names and the values they take, as typed.
std::vector<std::string> Words(CLI::App& app, const std::vector<std::string>& args) {
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") break;
        if (a.size() > 1 && a[0] == '-') {
            if (a.find('=') != std::string::npos) continue;
            // An option of any level may stand anywhere; its value is not a word.
            const CLI::Option* opt = FindOption(app, a);
            if (opt && opt->get_items_expected_max() > 0) ++i;
            continue;
        }
        words.push_back(a);
    }
    return words;
}

// The first word that is no sub-command where one is required, with the
// names it could have been; nothing when the words fit.
std::optional<std::pair<std::string, std::vector<std::string>>> UnknownWord(CLI::App& app,
                                                                              const std::vector<std::string>& args) {
    CLI::App* level = &app;
    for (const std::string& word : Words(app, args)) {
        const auto subs = level->get_subcommands({});
        if (subs.empty()) return std::nullopt;  // the rest are the sub-command's values
        CLI::App* next = nullptr;
        for (CLI::App* sub : subs)
            if (sub->check_name(word)) next = sub;
        if (next) {
            level = next;
            continue;
        }
        // `tag` alone reads, `tag set` writes: a word there is a value, not a slip.
        if (level->get_require_subcommand_min() == 0) return std::nullopt;
        std::vector<std::string> names;
        for (CLI::App* sub : subs) names.push_back(sub->get_name());
        return std::make_pair(word, names);
    }
    return std::nullopt;
}

// Edits from one word to the other; two letters swapped count as one slip.
std::size_t Distance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

}  // namespace

std::string ClosestName(const std::string& typed, const std::vector<std::string>& known) {
    std::string best;
    std::size_t bestDistance = 0;
    for (const std::string& name : known) {
        // A prefix is what a hurried hand types.
        if (typed.size() >= 2 && name.rfind(typed, 0) == 0) return name;
        const std::size_t d = Distance(typed, name);
        if (best.empty() || d < bestDistance) {
            best = name;
            bestDistance = d;
        }
    }
    // More than a third of the letters wrong is another word, not a slip.
    return !best.empty() && bestDistance <= std::max<std::size_t>(1, typed.size() / 3) ? best : std::string{};
}

void DeclareCommandLine(CLI::App& app, Invocation& v) {
    app.set_help_flag("-h,--help", "print this help and exit");
    app.set_version_flag("-V,--version", std::string("quillon-cli ") + kVersion, "print the version and exit");
    app.footer(kExitStatusHelp);
    app.require_subcommand(1);
    // Options of the program may follow the sub-command (`calibration write f.clb --yes`).
    app.fallthrough();
    // A flag given twice (a script's defaults, then the case at hand) counts once, the last.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);

    CommonOptions& c = v.common;
    app.add_flag("-y,--yes", c.yes, "confirm writes (without it a write is refused)");
    app.add_flag("-j,--json", c.json, "one JSON object per result line");
    app.add_flag("--trace", c.trace, "print every frame and link event to stderr");
    app.add_flag("-v,--verbose", c.verbose, "print progress texts to stderr");
    AddWhole(app, "-n,--attempts", c.attempts, "requests in a row without an answer before giving up (0: never)", 0,
             1000);
    AddWhole(app, "--channel", v.channel, "measuring channel on two-channel devices, 1 or 2", 1, 2)
        ->default_str("the device's");
    AddDecimal(app, "-t,--timeout", v.timeoutSeconds,
               "end the run after this many seconds (status 124); a held output is released first", 0.001,
               kLongestSeconds)
        ->default_str("none");
    auto* longAddress = app.add_option("--long-address", c.longAddress,
                                       "find the device on the line by its long address, 10 hex digits "
                                       "(as `identify --json` prints it); the short address found is used")
                            ->check(CLI::Validator(
                                [](std::string& text) {
                                    return ParseLongAddressHex(text) ? std::string()
                                                                     : "ожидается 10 шестнадцатеричных цифр";
                                },
                                "HEX10"));
    app.add_option("--tag", c.tag, "find the device on the line by its tag (command 20), as --long-address")
        ->check(CLI::Validator(
            [](std::string& text) { return text.empty() ? std::string("тег не задан") : std::string(); }, "TAG"))
        ->excludes(longAddress);
    AddLinkOptions(app, c.link);

    app.add_subcommand("ports", "list the serial ports, virtual ones included");
    app.add_subcommand("identify", "command 0: the identity, the derived variant and the tag");

    auto* poll = app.add_subcommand("poll", "poll the value (request 3), then the statistics");
    auto* count = AddWhole(*poll, "-c,--count", v.poll.count, "number of polls (default: until a signal)", 1,
                           1000000000000LL);
    AddDecimal(*poll, "--seconds", v.poll.seconds, "poll for this long", 0.001, kLongestSeconds)->excludes(count);
    AddWhole(*poll, "-i,--interval", v.poll.intervalMs,
             "pause after each poll, ms (a gateway's HART line takes a few requests a second)", 0, 3600000)
        ->default_str("0");
    poll->add_flag("--extended", v.poll.extended, "the four-value poll");
    poll->add_option("--csv", v.poll.csv, "also write the lines to a CSV file")->check(NonEmptyFileName());

    auto* setting = app.add_subcommand("setting", "numbered 32-bit settings");
    setting->require_subcommand(1);
    auto* settingGet = setting->add_subcommand("get", "read setting N");
    AddWhole(*settingGet, "N", v.setting.number, "setting number, 0-255", 0, 255)->required();
    auto* settingSet = setting->add_subcommand("set", "write setting N (needs --yes)");
    AddWhole(*settingSet, "N", v.setting.number, "setting number, 0-255", 0, 255)->required();
    settingSet->add_option("VALUE", v.setting.value, "integer, 0x hex bits, or a number with a point (a single)")
        ->required();
    settingSet->add_flag("--float", v.setting.asFloat, "send VALUE as a single even without a point");

    auto* block = app.add_subcommand("block", "the parameter block");
    block->require_subcommand(1);
    auto* blockGet = block->add_subcommand("get", "read the string at block index N");
    AddWhole(*blockGet, "N", v.block.index, "parameter-block index, 0-65535", 0, 65535)->required();
    AddWhole(*blockGet, "--count", v.block.count, "payload bytes (the check byte is added)", 1, 200);

    auto* address = app.add_subcommand("address", "addressing");
    address->require_subcommand(1);
    auto* addressShort = address->add_subcommand("short", "change the short address to N (needs --yes)");
    AddWhole(*addressShort, "N", v.shortAddress, "new short address, 0-63", 0, 63)->required();

    auto* tag = app.add_subcommand("tag", "read the tag (command 20); `tag set TAG` writes it");
    tag->require_subcommand(0, 1);
    auto* tagSet = tag->add_subcommand("set", "write the tag (needs --yes)");
    tagSet->add_option("TAG", v.newTag, "new tag, up to 32 characters")->required();

    auto* preambles = app.add_subcommand("preambles", "read, or with N write (needs --yes), the answer preambles");
    AddWhole(*preambles, "N", v.preambles, "new number of preambles, 3-50", 3, 50);

    auto* cal = app.add_subcommand("calibration", "calibration transfers and files");
    cal->require_subcommand(1);
    auto* calRead = cal->add_subcommand("read", "read the device's calibration into a .clb file");
    calRead->add_option("-o,--out", v.calibrationFile, "file to write")->required()->check(NonEmptyFileName());
    auto* calWrite = cal->add_subcommand("write", "send a .clb file to the device (needs --yes)");
    calWrite->add_option("FILE", v.calibrationFile, ".clb file")->required()->check(NonEmptyFileName());
    calWrite->add_flag("--clear-extra-point", v.clearExtraPoint,
                       "a segment device's extra point, which the file cannot hold, may be cleared "
                       "(without it such a write is refused)");
    auto* calShow = cal->add_subcommand("show", "list a .clb file (no device)");
    calShow->add_option("FILE", v.calibrationFile, ".clb file")->required()->check(NonEmptyFileName());

    AddFixCommand(app, v, "fix-current", "fix the loop current until a signal or --hold, then release (needs --yes)",
                  "current, mA (4-20)");
    AddFixCommand(app, v, "fix-voltage", "fix the output voltage of the voltage variant (needs --yes)", "voltage, V");
    AddFixCommand(app, v, "fix-duty", "fix the PWM duty of the PWM variant (needs --yes)", "duty, 0-1");
    app.add_subcommand("release", "release a current, voltage or duty left fixed (--leave-fixed)");

    auto* scan = app.add_subcommand("scan", "find the devices on the line");
    AddWhole(*scan, "--to", v.scanTo, "highest short address, 15 or 63", 15, 63)->check(CLI::IsMember({"15", "63"}));

    auto* raw = app.add_subcommand("command", "send HART command N with DATA (hex) and decode the answer; "
                                              "a command that may write needs --yes");
    AddWhole(*raw, "N", v.raw.number, "command number, 0-253", 0, 253)->required();
    raw->add_option("DATA", v.raw.data, "request data bytes in hex, e.g. 0A0B or \"0A 0B\"");

    auto* batch = app.add_subcommand("batch", "run the sub-commands listed in FILE (one a line, - for stdin) "
                                              "in one session; stops at the first that fails");
    batch->add_option("FILE", v.batchFile, "list of steps")->required()->check(NonEmptyFileName());
}

std::optional<int> ParseCommandLine(CLI::App& app, Invocation& into, std::vector<std::string> args) {
    try {
        // CLI11 takes them last first, and uses them up.
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() != 0)
            if (const auto unknown = UnknownWord(app, args)) {
                std::string text = "Неизвестная подкоманда «" + unknown->first + "»";
                if (const std::string near = ClosestName(unknown->first, unknown->second); !near.empty())
                    text += "; возможно, имелась в виду «" + near + "»";
                std::cerr << text << ". Список подкоманд: quillon-cli --help\n";
                return kExitUsage;
            }
        const int code = app.exit(e);
        return code == 0 ? kExitSuccess : kExitUsage;
    }
    std::string path;
    for (CLI::App* level = &app;;) {
        const auto parsed = level->get_subcommands();
        if (parsed.empty()) break;
        level = parsed.front();
        path += (path.empty() ? "" : " ") + level->get_name();
    }
    into.command = path;
    return std::nullopt;
}

std::optional<std::vector<std::string>> SplitBatchLine(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (char ch : line) {
        if (quote) {
            if (ch == quote)
                quote = 0;
            else
                word += ch;
            continue;
        }
        if (ch == '#') break;
        if (ch == '"' || ch == '\'') {
            quote = ch;
            inWord = true;
            continue;
        }
        if (ch == ' ' || ch == '\t' || ch == '\r') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
            continue;
        }
        word += ch;
        inWord = true;
    }
    if (quote) return std::nullopt;
    if (inWord) words.push_back(word);
    return words;
}

}  // namespace quillon::cli
