#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli_bench.h"

namespace quillon {
namespace {

using testing::CliBench;
using testing::CliResult;
using testing::DevsimProcess;
using testing::Has;
using testing::RunCli;

// One write sub-command of the command line.
struct WriteCase {
    const char* name;
    const char* preset;
    std::vector<std::string> args;  // --yes included
    std::vector<std::string> progress;  // --verbose texts of which one comes just before the first write request
    const char* success;            // what stdout says of a write that was done
    bool lockable = true;           // the simulator refuses this command while locked
};

enum class Trouble { WriteLock, OtherCode, LineDies };

struct TroubleCase {
    const char* name;
    Trouble trouble;
    int status;
};

// A folder with the calibration each form's device holds, as files to send back.
class CalibrationFiles {
public:
    CalibrationFiles() {
        char dir[] = "/tmp/quillon-cli-test-XXXXXX";
        if (mkdtemp(dir)) work_ = dir;
        for (const char* preset : {"rev3-hw1", "rev8", "rev16"}) {
            CliBench b({"--preset", preset});
            const CliResult r = b.run({"calibration", "read", "-o", file(preset)});
            ok_ = ok_ && b.ready() && r.status == cli::kExitSuccess;
        }
    }
    ~CalibrationFiles() {
        std::error_code ec;
        if (!work_.empty()) std::filesystem::remove_all(work_, ec);
    }
    bool ok() const { return ok_ && !work_.empty(); }
    const std::string& work() const { return work_; }
    std::string file(const std::string& preset) const { return work_ + "/" + preset + ".clb"; }

private:
    std::string work_;
    bool ok_ = true;
};

std::vector<WriteCase> DeviceWrites() {
    return {
        {"setting", "rev8", {"-y", "setting", "set", "40", "7"}, {"Запись параметра 40 . 1"}, "written"},
        {"short address", "rev6", {"-y", "address", "short", "3"}, {"Меняю короткий адрес. Попытка 1"}, "short address"},
        {"preambles", "rev8", {"-y", "preambles", "7"}, {"Запись кол-ва преамбул : 1"}, "written"},
        {"tag", "rev8", {"-y", "tag", "set", "TT-9"}, {"Пишу тег. Попытка: 1"}, "written"},
    };
}

std::vector<WriteCase> OutputAndCalibrationWrites(const CalibrationFiles& files) {
    return {
        {"duty", "rev6", {"-y", "fix-duty", "0.25", "--hold", "0.1"}, {"Фиксирую скважность . 1"}, "fixed"},
        {"current", "rev6", {"-y", "fix-current", "12", "--hold", "0.1"}, {"Пишу режим тока: 1"}, "fixed", false},
        {"segments", "rev3-hw1", {"-y", "calibration", "write", files.file("rev3-hw1"), "--clear-extra-point"}, {"Запись точки"}, "written"},
        {"code points", "rev8", {"-y", "calibration", "write", files.file("rev8")}, {"Запись точки"}, "written"},
        {"temperature pairs", "rev16", {"-y", "calibration", "write", files.file("rev16")},
         {"Запись калибровки. Попытка 1", "Запись заголовка. Попытка 1"}, "written"},
    };
}

// Runs each write against a device in `trouble`: the status tells which
// trouble it was, and stdout never claims success.
void CheckWrites(const std::vector<WriteCase>& writes, const TroubleCase& t, const std::string& work) {
    for (const WriteCase& w : writes) {
        if (!w.lockable && t.trouble != Trouble::LineDies) continue;
        SCOPED_TRACE(std::string(w.name) + ", " + t.name);
        std::vector<std::string> simArgs{"--preset", w.preset, "--hart-speed", "3"};
        std::vector<std::string> cliArgs{"--port", "sim0", "--speed", "38400", "--address", "0", "-v",
                                         "--next-byte-wait", "50"};
        if (t.trouble == Trouble::LineDies) {
            // The simulator is stopped before its answer is due; a late answer
            // on a loaded machine only makes the wait longer, never the
            // outcome other than "no answer".
            simArgs.insert(simArgs.end(), {"--turnaround-ms", "1500"});
            cliArgs.insert(cliArgs.end(), {"--first-byte-wait", "5000", "-n", "1"});
        } else {
            simArgs.insert(simArgs.end(), {"--turnaround-ms", "2", "--locked"});
            if (t.trouble == Trouble::OtherCode) simArgs.insert(simArgs.end(), {"--refusal-code", "5"});
            cliArgs.insert(cliArgs.end(), {"--first-byte-wait", "2000"});
        }
        DevsimProcess sim(simArgs);
        ASSERT_FALSE(sim.line().empty());
        cliArgs.insert(cliArgs.end(), w.args.begin(), w.args.end());
        bool stopped = false;
        const CliResult r = RunCli(cliArgs, sim.folder(), work, {}, 90000, SIGINT, [&](const std::string& line) {
            const bool due = std::any_of(w.progress.begin(), w.progress.end(),
                                         [&](const std::string& p) { return Has(line, p); });
            if (t.trouble == Trouble::LineDies && !stopped && due) {
                kill(sim.pid(), SIGSTOP);
                stopped = true;
            }
            return false;
        });
        if (stopped) kill(sim.pid(), SIGCONT);
        EXPECT_EQ(r.status, t.status) << r.err;
        EXPECT_FALSE(Has(r.out, w.success)) << r.out;
        EXPECT_FALSE(Has(r.out, "released")) << r.out;
        if (t.trouble == Trouble::LineDies) {
            EXPECT_TRUE(stopped) << r.err;
        }
    }
}

const TroubleCase kWriteLock{"write lock", Trouble::WriteLock, cli::kExitWriteProtected};
const TroubleCase kOtherCode{"another code", Trouble::OtherCode, cli::kExitDeviceRefused};
const TroubleCase kLineDies{"line dies", Trouble::LineDies, cli::kExitNoAnswer};

TEST(CliEveryWrite, ARefusedWriteGivesItsStatusAndNoSuccessText) {
    CalibrationFiles files;
    ASSERT_TRUE(files.ok());
    for (const TroubleCase& t : {kWriteLock, kOtherCode}) {
        CheckWrites(DeviceWrites(), t, files.work());
        CheckWrites(OutputAndCalibrationWrites(files), t, files.work());
    }
}

TEST(CliEveryWrite, ADeviceWriteCutByTheLineGivesNoAnswer) {
    CalibrationFiles files;
    ASSERT_TRUE(files.ok());
    CheckWrites(DeviceWrites(), kLineDies, files.work());
}

TEST(CliEveryWrite, AnOutputOrCalibrationWriteCutByTheLineGivesNoAnswer) {
    CalibrationFiles files;
    ASSERT_TRUE(files.ok());
    CheckWrites(OutputAndCalibrationWrites(files), kLineDies, files.work());
}

}  // namespace
}  // namespace quillon
