#include <gtest/gtest.h>

#include <signal.h>

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
    const char* progress;           // the --verbose text printed just before the write's request
    const char* success;            // what stdout says of a write that was done
};

enum class Trouble { WriteLock, OtherCode, LineDies };

struct TroubleCase {
    const char* name;
    Trouble trouble;
    int status;
};

// Every write the command line makes, against a device that refuses it with
// its write lock, with another error code, and a line that dies after the
// identification: the status tells which, and stdout never claims success.
TEST(CliEveryWrite, ARefusedOrLostWriteGivesItsStatusAndNoSuccessText) {
    const std::vector<WriteCase> writes = {
        {"setting", "rev8", {"-y", "setting", "set", "40", "7"}, "Запись параметра 40 . 1", "written"},
        {"short address", "rev6", {"-y", "address", "short", "3"}, "Меняю короткий адрес. Попытка 1", "short address"},
    };
    const std::vector<TroubleCase> troubles = {
        {"write lock", Trouble::WriteLock, cli::kExitWriteProtected},
        {"another code", Trouble::OtherCode, cli::kExitDeviceRefused},
        {"line dies", Trouble::LineDies, cli::kExitNoAnswer},
    };
    char dir[] = "/tmp/quillon-cli-test-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string work = dir;
    for (const WriteCase& w : writes) {
        for (const TroubleCase& t : troubles) {
            SCOPED_TRACE(std::string(w.name) + ", " + t.name);
            std::vector<std::string> simArgs{"--preset", w.preset, "--hart-speed", "3"};
            std::vector<std::string> cliArgs{"--port", "sim0", "--speed", "38400", "--address", "0", "-v",
                                             "--next-byte-wait", "50"};
            if (t.trouble == Trouble::LineDies) {
                // The simulator stops before its answer is due; a late answer
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
                if (t.trouble == Trouble::LineDies && !stopped && Has(line, w.progress)) {
                    kill(sim.pid(), SIGSTOP);
                    stopped = true;
                }
                return false;
            });
            if (stopped) kill(sim.pid(), SIGCONT);
            EXPECT_EQ(r.status, t.status) << r.err;
            EXPECT_FALSE(Has(r.out, w.success)) << r.out;
            if (t.trouble == Trouble::LineDies) {
                EXPECT_TRUE(stopped) << r.err;
            }
        }
    }
}

}  // namespace
}  // namespace quillon
