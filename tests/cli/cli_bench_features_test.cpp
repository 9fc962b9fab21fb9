#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli_bench.h"

namespace quillon {
namespace {

using nlohmann::json;
using testing::CliBench;
using testing::CliResult;
using testing::Has;
using testing::WriteFile;

bool DeviceHoldsCurrent(CliBench& b) {
    const CliResult poll = b.run({"poll", "--count", "1"});
    EXPECT_EQ(poll.status, cli::kExitSuccess) << poll.err;
    return Has(poll.out, "Ток фиксирован");
}

// HART requests the program sent, as --trace lists them (the wake-up bytes
// of a silent line's recovery are no request).
long SentFrames(const std::string& trace) {
    long n = 0;
    std::size_t from = 0;
    for (std::size_t nl; (nl = trace.find('\n', from)) != std::string::npos; from = nl + 1) {
        const std::string line = trace.substr(from, nl - from);
        if (Has(line, "\t→\t") && Has(line, "разделитель")) ++n;
    }
    return n;
}

// Requests of maker-specific commands (128 and up) among those --trace lists.
long MakerRequests(const std::string& trace) {
    long n = 0;
    std::size_t from = 0;
    for (std::size_t nl; (nl = trace.find('\n', from)) != std::string::npos; from = nl + 1) {
        const std::string line = trace.substr(from, nl - from);
        const std::size_t at = line.find("команда ");
        if (!Has(line, "\t→\t") || at == std::string::npos) continue;
        if (std::atoi(line.c_str() + at + std::string("команда ").size()) >= 128) ++n;
    }
    return n;
}

TEST(CliSignals, ClosedTerminalReleasesAndAFailedReleaseSaysSo) {
    CliBench b({"--preset", "rev6"});
    ASSERT_TRUE(b.ready());
    // SIGHUP, as a closed terminal or a dropped SSH session sends it.
    CliResult r = b.run({"-y", "fix-current", "15.5"}, [](const std::string& l) { return Has(l, "fixed"); }, SIGHUP);
    EXPECT_EQ(r.status, cli::kExitInterrupted) << r.err;
    EXPECT_TRUE(Has(r.out, "released")) << r.out;
    EXPECT_FALSE(DeviceHoldsCurrent(b));

    // The simulator gone during the hold: the release fails, and the status is the release's, not 130.
    r = b.run({"-y", "fix-current", "12"}, [&](const std::string& l) {
        if (!Has(l, "fixed")) return false;
        b.sim().terminate();
        return true;
    });
    EXPECT_EQ(r.status, cli::kExitNoAnswer) << r.err;
    EXPECT_FALSE(Has(r.out, "released")) << r.out;
    EXPECT_TRUE(Has(r.err, "фиксац")) << r.err;
}

TEST(CliLimits, AttemptsTimeoutAndIntervalHoldExactly) {
    CliBench b({"--preset", "rev6"});
    ASSERT_TRUE(b.ready());
    // Nobody at 9: exactly --attempts requests go out.
    for (const int attempts : {1, 3}) {
        const CliResult r = b.run({"--trace", "-a", "9", "-n", std::to_string(attempts), "--first-byte-wait", "200",
                                   "identify"});
        EXPECT_EQ(r.status, cli::kExitNoAnswer);
        EXPECT_EQ(SentFrames(r.err), attempts) << r.err;
    }
    // --timeout ends an endless poll with 124, after its statistics.
    CliResult r = b.run({"poll", "-t", "1.5"});
    EXPECT_EQ(r.status, cli::kExitTimeout) << r.err;
    EXPECT_TRUE(Has(r.lines().back(), "requests: ")) << r.out;
    // ... and a hold, after the release.
    r = b.run({"-y", "fix-current", "9", "-t", "1"});
    EXPECT_EQ(r.status, cli::kExitTimeout) << r.err;
    EXPECT_TRUE(Has(r.out, "released")) << r.out;
    EXPECT_FALSE(DeviceHoldsCurrent(b));
    // --interval: three polls with two pauses of 400 ms between them take at least 0.8 s.
    const auto start = std::chrono::steady_clock::now();
    r = b.run({"poll", "-c", "3", "-i", "400"});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(r.status, cli::kExitSuccess) << r.err;
    EXPECT_EQ(r.lines().size(), 4u) << r.out;
    EXPECT_GE(seconds, 0.8);
}

TEST(CliLimits, APollWhoseDeviceFellSilentFails) {
    CliBench b({"--preset", "rev8"});
    ASSERT_TRUE(b.ready());
    int seen = 0;
    const CliResult r = b.run({"poll", "-c", "6", "-n", "2", "--first-byte-wait", "300"}, [&](const std::string&) {
        if (++seen == 1) b.sim().terminate();
        return false;
    });
    EXPECT_EQ(r.status, cli::kExitNoAnswer) << r.err;
    const auto lines = r.lines();
    ASSERT_GE(lines.size(), 2u) << r.out;
    // The silent polls print no value and no current from before.
    EXPECT_TRUE(Has(lines[1], "----------\t")) << lines[1];
}

TEST(CliBenchWork, ReleaseAnyCommandBatchAndAddressing) {
    CliBench b({"--preset", "rev6", "--add-device", "rev14,5,,TT-102"});
    ASSERT_TRUE(b.ready());
    // A loop left fixed by one run is released by another.
    EXPECT_EQ(b.run({"-y", "fix-current", "8", "--hold", "0.1", "--leave-fixed"}).status, cli::kExitSuccess);
    EXPECT_TRUE(DeviceHoldsCurrent(b));
    EXPECT_EQ(b.run({"release"}).status, cli::kExitUsage);
    CliResult r = b.run({"-y", "release"});
    EXPECT_EQ(r.status, cli::kExitSuccess) << r.err;
    EXPECT_FALSE(DeviceHoldsCurrent(b));

    // A device found by its tag or its long address: the short address it answers on is used.
    r = b.run({"--json", "--tag", "TT-102", "identify"});
    ASSERT_EQ(r.status, cli::kExitSuccess) << r.err;
    const json second = json::parse(r.lines().at(0));
    EXPECT_EQ(second["short_address"], 5);
    r = b.run({"--json", "--long-address", second["long_address"].get<std::string>(), "command", "0"});
    EXPECT_EQ(r.status, cli::kExitSuccess) << r.err;
    EXPECT_EQ(json::parse(r.lines().at(0))["bytes"][6], 14) << r.out;  // the software revision of that device
    EXPECT_EQ(b.run({"--tag", "NO-SUCH", "identify"}).status, cli::kExitNoAnswer);

    // Steps in one session; a step that cannot be parsed stops the batch before any step runs.
    WriteFile(b.file("steps"), "identify  # who\nsetting get 1\n\ntag\n");
    r = b.run({"batch", b.file("steps")});
    EXPECT_EQ(r.status, cli::kExitSuccess) << r.err;
    EXPECT_TRUE(Has(r.out, "setting 1: ")) << r.out;
    EXPECT_TRUE(Has(r.out, "tag: ")) << r.out;
    WriteFile(b.file("bad"), "identify\nsetting gte 1\n");
    r = b.run({"batch", b.file("bad")});
    EXPECT_EQ(r.status, cli::kExitUsage);
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_TRUE(Has(r.err, "bad:2")) << r.err;
    WriteFile(b.file("link"), "identify --port sim1\n");
    EXPECT_EQ(b.run({"batch", b.file("link")}).status, cli::kExitUsage);
    // The first failing step ends the batch with its status.
    WriteFile(b.file("stops"), "setting set 40 1\nidentify\n");
    r = b.run({"batch", b.file("stops")});
    EXPECT_EQ(r.status, cli::kExitUsage);
    EXPECT_TRUE(r.out.empty()) << r.out;
}

TEST(CliBenchWork, MakerCommandsNeverReachAnotherMakersDevice) {
    CliBench b({"--preset", "foreign"});
    ASSERT_TRUE(b.ready());
    CliResult r = b.run({"--json", "identify"});
    ASSERT_EQ(r.status, cli::kExitSuccess) << r.err;
    EXPECT_EQ(json::parse(r.lines().at(0))["own_make"], false);
    // Universal commands still work: identification and the command itself.
    r = b.run({"--trace", "command", "1"});
    EXPECT_EQ(r.status, cli::kExitSuccess) << r.err;
    EXPECT_EQ(MakerRequests(r.err), 0) << r.err;
    // A loaded machine may repeat the identification, so what is counted is
    // what matters: not one request of a maker's command.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--trace", "command", "176", "01"},
             {"--trace", "setting", "get", "1"},
             {"--trace", "-y", "setting", "set", "1", "2"}}) {
        r = b.run(args);
        EXPECT_EQ(r.status, cli::kExitNotPossible) << r.err;
        EXPECT_GT(SentFrames(r.err), 0) << "the identification went out: " << r.err;
        EXPECT_EQ(MakerRequests(r.err), 0) << "nothing after the identification: " << r.err;
    }
}

}  // namespace
}  // namespace quillon
