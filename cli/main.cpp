#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>

#include "app/app_state.h"
#include "cli/arguments.h"
#include "cli/cli_ui.h"
#include "cli/dispatch.h"
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
    Invocation v;
    DeclareCommandLine(app, v);
    if (const auto status = ParseCommandLine(app, v, std::vector<std::string>(argv + 1, argv + argc))) return *status;

    InstallInterruptHandler();
    Output out(std::cout, std::cerr, v.common.json);
    CliUserInterface ui(out, {v.common.yes, StdinIsTerminal(), v.common.verbose});
    const auto portSystem = MakePlatformPortSystem();
    const auto clock = MakePlatformClock();
    AppState state(ui, *portSystem, *clock);
    WireWatch watch(state, v.common.trace ? &std::cerr : nullptr);
    watch.setAttemptLimit(v.common.attempts);
    if (v.timeoutSeconds)
        watch.setDeadline(std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(*v.timeoutSeconds)));
    ui.attach(state, watch);
    const std::optional<int> channel = v.channel;
    ui.answerAlways<MeasuringChannelDialog>([&](MeasuringChannelDialog& d) {
        if (!channel) return true;
        if (static_cast<std::size_t>(*channel) > d.items.size()) {
            out.message("Канала " + std::to_string(*channel) + " нет у этого устройства");
            return false;
        }
        d.channel = *channel - 1;
        return true;
    });
    Session x{v.common, out, ui, state, watch};
    try {
        if (v.command == "batch") return RunBatch(x, v);
        return Dispatch(x, v);
    } catch (const std::exception& e) {
        out.message(e.what());
        return kExitNoAnswer;
    }
}
