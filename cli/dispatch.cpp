#include "cli/dispatch.h"

#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/number_options.h"

namespace quillon::cli {

int Dispatch(Session& x, const Invocation& v) {
    const std::string& c = v.command;
    if (c == "ports") return RunPorts(x);
    if (c == "identify") return RunIdentify(x);
    if (c == "poll") return RunPoll(x, v.poll);
    if (c == "setting get") return RunSettingGet(x, v.setting);
    if (c == "setting set") return RunSettingSet(x, v.setting);
    if (c == "block get") return RunBlockGet(x, v.block);
    if (c == "address short") return RunAddressShort(x, v.shortAddress);
    if (c == "tag") return RunTag(x);
    if (c == "tag set") return RunTagSet(x, v.newTag);
    if (c == "preambles") return RunPreambles(x, v.preambles);
    if (c == "calibration read") return RunCalibrationRead(x, v.calibrationFile);
    if (c == "calibration write") return RunCalibrationWrite(x, v.calibrationFile, v.clearExtraPoint);
    if (c == "calibration show") return RunCalibrationShow(x, v.calibrationFile);
    if (c == "fix-current" || c == "fix-voltage" || c == "fix-duty") {
        FixOptions fix = v.fix;
        fix.kind = c == "fix-duty" ? HeldKind::Duty : c == "fix-voltage" ? HeldKind::Voltage : HeldKind::Current;
        return RunFixOutput(x, fix);
    }
    if (c == "release") return RunRelease(x);
    if (c == "scan") return RunScan(x, v.scanTo);
    if (c == "command") return RunRawCommand(x, v.raw);
    x.out.message("Подкоманда «" + c + "» здесь не выполняется");
    return kExitUsage;
}

namespace {

// A step may not change what the whole batch shares: the link, the flags of
// the run. Those belong on the command line that starts the batch.
std::string SharedOptionIn(CLI::App& app) {
    for (const CLI::Option* opt : app.get_options())
        if (opt->count() > 0) return opt->get_name();
    return {};
}

}  // namespace

int RunBatch(Session& x, const Invocation& v) {
    std::ifstream file;
    std::istream* in = &std::cin;
    if (v.batchFile != "-") {
        file.open(v.batchFile);
        if (!file) {
            x.out.message("Не могу прочитать файл " + v.batchFile);
            return kExitFileError;
        }
        in = &file;
    }
    // The steps are read and checked before any is run: a typing error on the
    // last line must not leave the device half-way through the list.
    struct Step {
        int line;
        std::vector<std::string> words;
    };
    std::vector<Step> steps;
    std::string text;
    for (int line = 1; std::getline(*in, text); ++line) {
        const auto words = SplitBatchLine(text);
        if (!words) {
            x.out.message(v.batchFile + ":" + std::to_string(line) + ": кавычка не закрыта");
            return kExitUsage;
        }
        if (!words->empty()) steps.push_back({line, *words});
    }
    std::vector<Invocation> parsed(steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        CLI::App app{"quillon-cli batch step", "quillon-cli"};
        DeclareCommandLine(app, parsed[i]);
        const std::string where = v.batchFile + ":" + std::to_string(steps[i].line) + ": ";
        if (const auto status = ParseCommandLine(app, parsed[i], steps[i].words)) {
            x.out.message(where + "шаг не разобран");
            return *status == kExitSuccess ? kExitUsage : *status;
        }
        if (const std::string shared = SharedOptionIn(app); !shared.empty()) {
            x.out.message(where + "ключ " + shared +
                          " действует на весь пакет: задайте его в командной строке перед batch");
            return kExitUsage;
        }
        if (parsed[i].command == "batch") {
            x.out.message(where + "пакет не может вызывать пакет");
            return kExitUsage;
        }
    }
    for (std::size_t i = 0; i < steps.size(); ++i) {
        // Each step gets the full --attempts again.
        x.watch.clearGaveUp();
        const int status = Dispatch(x, parsed[i]);
        if (status != kExitSuccess) {
            x.out.message(v.batchFile + ":" + std::to_string(steps[i].line) + ": шаг завершился со статусом " +
                          std::to_string(status) + "; остальные шаги не выполнялись");
            return status;
        }
    }
    return kExitSuccess;
}

}  // namespace quillon::cli
