#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>

#include "app/app_state.h"
#include "app/version.h"
#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/output.h"
#include "cli/session.h"
#include "cli/terminal.h"
#include "cli/wire_watch.h"
#include "device/measuring_channel.h"
#include "link/platform.h"

using namespace quillon;
using namespace quillon::cli;

int main(int argc, char** argv) {
    PrepareConsole();
    CLI::App app{"quillon-cli: the service tool's device commands from a shell", "quillon-cli"};
    app.set_version_flag("--version", std::string("quillon-cli ") + kVersion);
    app.footer(kExitStatusHelp);
    app.require_subcommand(1);

    // A flag given twice (a script's defaults, then the case at hand) counts once, the last.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    CommonOptions common;
    app.add_flag("--yes", common.yes, "confirm writes (without it a write is refused)");
    app.add_flag("--json", common.json, "one JSON object per result line");
    app.add_flag("--trace", common.trace, "print every frame and link event to stderr");
    app.add_flag("--verbose", common.verbose, "print progress texts to stderr");
    app.add_option("--attempts", common.attempts, "failed exchanges in a row before giving up (0: never)")
        ->check(CLI::Range(0, 1000));
    std::optional<int> channel;
    app.add_option("--channel", channel, "measuring channel on two-channel devices, 1 or 2 (default: the device's)")
        ->check(CLI::Range(1, 2));
    AddLinkOptions(app, common.link);

    auto* ports = app.add_subcommand("ports", "list the serial ports, virtual ones included");
    auto* identify = app.add_subcommand("identify", "command 0: the identity and the derived variant");

    PollOptions poll;
    auto* pollCmd = app.add_subcommand("poll", "poll the value (request 3), then the statistics");
    auto* pollCount = pollCmd->add_option("--count", poll.count, "number of polls")->check(CLI::PositiveNumber);
    pollCmd->add_option("--seconds", poll.seconds, "poll for this long")->check(CLI::PositiveNumber)->excludes(pollCount);
    pollCmd->add_flag("--extended", poll.extended, "the four-value poll");
    pollCmd->add_option("--csv", poll.csv, "also write the lines to a CSV file");

    SettingOptions setting;
    auto* settingCmd = app.add_subcommand("setting", "numbered 32-bit settings");
    settingCmd->require_subcommand(1);
    auto* settingGet = settingCmd->add_subcommand("get", "read setting N");
    settingGet->add_option("N", setting.number, "setting number")->required()->check(CLI::Range(0, 255));
    auto* settingSet = settingCmd->add_subcommand("set", "write setting N (needs --yes)");
    settingSet->add_option("N", setting.number, "setting number")->required()->check(CLI::Range(0, 255));
    settingSet->add_option("VALUE", setting.value, "integer, 0x hex bits, or a number with a point (a single)")
        ->required();
    settingSet->add_flag("--float", setting.asFloat, "send VALUE as a single even without a point");

    BlockOptions block;
    auto* blockCmd = app.add_subcommand("block", "the parameter block");
    blockCmd->require_subcommand(1);
    auto* blockGet = blockCmd->add_subcommand("get", "read the string at block index N");
    blockGet->add_option("N", block.index, "parameter-block index")->required()->check(CLI::Range(0, 65535));
    blockGet->add_option("--count", block.count, "payload bytes (the check byte is added)")
        ->check(CLI::Range(1, 200));

    int shortAddress = 0;
    auto* addressCmd = app.add_subcommand("address", "addressing");
    addressCmd->require_subcommand(1);
    auto* addressShort = addressCmd->add_subcommand("short", "change the short address to N (needs --yes)");
    addressShort->add_option("N", shortAddress, "new short address")->required()->check(CLI::Range(0, 63));

    auto* tag = app.add_subcommand("tag", "read the tag (command 20)");

    std::optional<int> preamblesCount;
    auto* preambles = app.add_subcommand("preambles", "read, or with N write (needs --yes), the answer preambles");
    preambles->add_option("N", preamblesCount, "new number of preambles, 3-50")->check(CLI::Range(3, 50));

    std::string calFile;
    auto* calCmd = app.add_subcommand("calibration", "calibration transfers and files");
    calCmd->require_subcommand(1);
    auto* calRead = calCmd->add_subcommand("read", "read the device's calibration into a .clb file");
    calRead->add_option("--out", calFile, "file to write")->required();
    auto* calWrite = calCmd->add_subcommand("write", "send a .clb file to the device (needs --yes)");
    calWrite->add_option("FILE", calFile, ".clb file")->required();
    auto* calShow = calCmd->add_subcommand("show", "list a .clb file (no device)");
    calShow->add_option("FILE", calFile, ".clb file")->required();

    FixOptions fix;
    auto addFix = [&](const char* name, const char* help, const char* valueHelp) {
        auto* c = app.add_subcommand(name, help);
        c->add_option("VALUE", fix.value, valueHelp)->required();
        c->add_option("--hold", fix.holdSeconds, "hold this many seconds, then release")->check(CLI::PositiveNumber);
        c->add_flag("--leave-fixed", fix.leaveFixed, "do not release on exit");
        return c;
    };
    auto* fixCurrent = addFix("fix-current", "fix the loop current until Ctrl+C or --hold, then release (needs --yes)",
                              "current, mA (4-20)");
    auto* fixVoltage = addFix("fix-voltage", "fix the output voltage of the voltage variant (needs --yes)",
                              "voltage, V");

    auto* fixDuty = addFix("fix-duty", "fix the PWM duty of the PWM variant (needs --yes)", "duty, 0-1");

    int scanTo = 15;
    auto* scan = app.add_subcommand("scan", "find the devices on the line");
    scan->add_option("--to", scanTo, "highest short address, 15 or 63")->check(CLI::IsMember({15, 63}));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? kExitSuccess : kExitUsage;
    }

    InstallInterruptHandler();
    Output out(std::cout, std::cerr, common.json);
    CliUserInterface ui(out, {common.yes, StdinIsTerminal(), common.verbose});
    const auto portSystem = MakePlatformPortSystem();
    const auto clock = MakePlatformClock();
    AppState state(ui, *portSystem, *clock);
    WireWatch watch(state, common.trace ? &std::cerr : nullptr);
    watch.setAttemptLimit(common.attempts);
    ui.attach(state, watch);
    ui.answerAlways<MeasuringChannelDialog>([&](MeasuringChannelDialog& d) {
        if (!channel) return true;
        if (static_cast<std::size_t>(*channel) > d.items.size()) {
            out.message("Канала " + std::to_string(*channel) + " нет у этого устройства");
            return false;
        }
        d.channel = *channel - 1;
        return true;
    });
    Session x{common, out, ui, state, watch};

    try {
        if (*ports) return RunPorts(x);
        if (*identify) return RunIdentify(x);
        if (*pollCmd) return RunPoll(x, poll);
        if (*settingGet) return RunSettingGet(x, setting);
        if (*settingSet) return RunSettingSet(x, setting);
        if (*blockGet) return RunBlockGet(x, block);
        if (*addressShort) return RunAddressShort(x, shortAddress);
        if (*tag) return RunTag(x);
        if (*preambles) return RunPreambles(x, preamblesCount);
        if (*calRead) return RunCalibrationRead(x, calFile);
        if (*calWrite) return RunCalibrationWrite(x, calFile);
        if (*calShow) return RunCalibrationShow(x, calFile);
        if (*fixCurrent) {
            fix.kind = HeldKind::Current;
            return RunFixOutput(x, fix);
        }
        if (*fixVoltage) {
            fix.kind = HeldKind::Voltage;
            return RunFixOutput(x, fix);
        }
        if (*fixDuty) {
            fix.kind = HeldKind::Duty;
            return RunFixOutput(x, fix);
        }
        if (*scan) return RunScan(x, scanTo);
    } catch (const std::exception& e) {
        out.message(e.what());
        return kExitNoAnswer;
    }
    return kExitUsage;
}
