#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli_run.h"
#include "support/devsim_process.h"

namespace quillon {
namespace {

using testing::CliResult;
using testing::DevsimProcess;
using testing::RunCli;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A current fixed through a HART-IP server is released through it: after
// --hold and after Ctrl+C, over TCP and UDP, and the device says so itself.
TEST(CliHartIp, AFixedCurrentIsReleasedOverHartIp) {
    DevsimProcess sim({"--preset", "rev6", "--hart-ip", "127.0.0.1:0", "--turnaround-ms", "0"});
    const std::string address = sim.line();
    ASSERT_NE(address.rfind(':'), std::string::npos) << address;
    const std::string endpoint = "127.0.0.1:" + address.substr(address.rfind(':') + 1);
    char dir[] = "/tmp/quillon-cli-test-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string work = dir;
    for (const bool udp : {false, true}) {
        SCOPED_TRACE(udp ? "UDP" : "TCP");
        std::vector<std::string> link{"--hart-ip", endpoint, "--address", "0"};
        if (udp) link.push_back("--udp");
        const auto run = [&](std::vector<std::string> args, std::function<bool(const std::string&)> onLine = {}) {
            args.insert(args.begin(), link.begin(), link.end());
            return RunCli(args, sim.folder(), work, std::move(onLine));
        };
        const auto deviceHolds = [&] {
            const CliResult poll = run({"poll", "--count", "1"});
            EXPECT_EQ(poll.status, cli::kExitSuccess) << poll.err;
            return Has(poll.out, "Ток фиксирован");
        };
        CliResult r = run({"--yes", "fix-current", "12", "--hold", "1"});
        EXPECT_EQ(r.status, cli::kExitSuccess) << r.err;
        EXPECT_TRUE(Has(r.out, "fixed: 12.0000 mA")) << r.out;
        EXPECT_TRUE(Has(r.out, "released")) << r.out;
        EXPECT_FALSE(Has(r.err, "Не удалось снять фиксацию")) << r.err;
        EXPECT_FALSE(deviceHolds());

        r = run({"--yes", "fix-current", "8"}, [](const std::string& line) { return Has(line, "fixed"); });
        EXPECT_EQ(r.status, cli::kExitInterrupted) << r.err;
        EXPECT_TRUE(Has(r.out, "released")) << r.out;
        EXPECT_FALSE(deviceHolds());
    }
    std::error_code ec;
    std::filesystem::remove_all(work, ec);
}

}  // namespace
}  // namespace quillon
