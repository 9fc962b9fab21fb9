#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli_bench.h"

namespace quillon {
namespace {

using cli::kExitDeviceRefused;
using cli::kExitFileError;
using cli::kExitInterrupted;
using cli::kExitNoAnswer;
using cli::kExitSuccess;
using cli::kExitUsage;
using cli::kExitWriteProtected;
using testing::CliBench;
using testing::CliResult;
using testing::DevsimProcess;
using testing::Has;
using testing::ReadFile;
using testing::RunCli;

struct CommandCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* out;  // a line of stdout must contain this
    const char* err;  // and stderr this ("" for anything)
};

TEST(CliProcess, SubCommandsPrintTheirResultsAndExitStatuses) {
    CliBench b({"--preset", "rev8", "--long-address", "260F092964", "--tag", "TT-7"});
    ASSERT_TRUE(b.ready());
    const std::vector<CommandCase> cases = {
        {"identify", {"identify"}, kExitSuccess, "long address: 26h 0Fh 09h 29h 64h", ""},
        {"identify variant", {"identify"}, kExitSuccess, "software revision: 8", ""},
        {"ports", {"ports"}, kExitSuccess, "sim0", ""},
        {"setting get", {"setting", "get", "1"}, kExitSuccess, "setting 1: 0x", ""},
        {"setting set unconfirmed", {"setting", "set", "40", "7"}, kExitUsage, "", "--yes"},
        {"setting set", {"--yes", "setting", "set", "40", "0x10"}, kExitSuccess, "setting 40 = 0x00000010 written", ""},
        {"setting reads back", {"setting", "get", "40"}, kExitSuccess, "setting 40: 0x00000010 16", ""},
        {"setting value", {"--yes", "setting", "set", "40", "many"}, kExitUsage, "", "many"},
        {"tag", {"tag"}, kExitSuccess, "tag: TT-7", ""},
        {"preambles", {"preambles"}, kExitSuccess, "preambles: ", ""},
        {"preambles unconfirmed", {"preambles", "7"}, kExitUsage, "", "--yes"},
        {"preambles range", {"--yes", "preambles", "2"}, kExitUsage, "", ""},
        {"calibration show missing", {"calibration", "show", "/nonexistent/x.clb"}, kExitFileError, "", ""},
        {"usage", {"frobnicate"}, kExitUsage, "", ""},
        {"version", {"--version"}, kExitSuccess, "1.", ""},
        {"nobody at 9", {"--address", "9", "--attempts", "1", "identify"}, kExitNoAnswer, "", ""},
        {"unknown port", {"--port", "nosuch", "identify"}, kExitNoAnswer, "", "nosuch"},
        // Options after the sub-command, short options, a slip of the hand.
        {"options after", {"identify", "-a", "0", "--json"}, kExitSuccess, "\"long_address\":\"260F092964\"", ""},
        {"mistyped", {"idnetify"}, kExitUsage, "", "«identify»"},
        {"tag in identify", {"identify"}, kExitSuccess, "tag: TT-7", ""},
        // Values typed wrong are usage errors, each named.
        {"speed not offered", {"--speed", "4800", "identify"}, kExitUsage, "", "4800"},
        {"speed not a number", {"--speed", "abc", "identify"}, kExitUsage, "", "abc"},
        {"settings missing", {"--settings", "/nonexistent.ini", "identify"}, kExitUsage, "", "/nonexistent.ini"},
        {"settings a folder", {"--settings", "/tmp", "identify"}, kExitUsage, "", "/tmp"},
        {"seconds NaN", {"poll", "--seconds", "NaN"}, kExitUsage, "", "NaN"},
        {"count beyond", {"poll", "--count", "18446744073709551617"}, kExitUsage, "", "18446744073709551617"},
        {"single too large", {"-y", "setting", "set", "15", "1e39"}, kExitUsage, "", "вне допустимого диапазона"},
        {"single too small", {"-y", "setting", "set", "15", "-1e39"}, kExitUsage, "", "вне допустимого диапазона"},
        {"single NaN", {"-y", "setting", "set", "15", "nan", "--float"}, kExitUsage, "", "«nan» не является числом"},
        {"current NaN", {"-y", "fix-current", "nan"}, kExitUsage, "", "«nan» не является числом"},
        {"current out of range", {"-y", "fix-current", "25"}, kExitUsage, "", "4-20 мА"},
        {"hold NaN", {"-y", "fix-current", "12", "--hold", "NaN"}, kExitUsage, "", "NaN"},
        {"duty NaN", {"-y", "fix-duty", "nan"}, kExitUsage, "", "nan"},
        {"empty out", {"calibration", "read", "--out", ""}, kExitUsage, "", "имя файла не задано"},
        {"empty show", {"calibration", "show", ""}, kExitUsage, "", "имя файла не задано"},
        {"port path missing", {"--port", "/dev/quillon-nosuch", "identify"}, kExitNoAnswer, "", "/dev/quillon-nosuch"},
        // Any command: a read goes out, anything else only with --yes.
        {"command 0", {"command", "0"}, kExitSuccess, "command 0: response code 0", ""},
        {"command 40 unconfirmed", {"command", "40", "41400000"}, kExitUsage, "", "--yes"},
        {"command data not hex", {"command", "3", "xyz"}, kExitUsage, "", "xyz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliResult r = b.run(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        if (*c.out) {
            bool found = false;
            for (const auto& line : r.lines()) found = found || Has(line, c.out);
            EXPECT_TRUE(found) << r.out;
        }
        EXPECT_TRUE(Has(r.err, c.err)) << r.err;
    }
    // Nothing above asked to save, so no settings file appeared.
    EXPECT_FALSE(std::filesystem::exists(b.file("Quillon.ini")));
    EXPECT_EQ(b.run({"--save-settings", "identify"}).status, kExitSuccess);
    EXPECT_TRUE(Has(ReadFile(b.file("Quillon.ini")), "sim0"));
}

TEST(CliProcess, AddressChangeAndLoopScan) {
    CliBench b({"--preset", "rev6", "--add-device", "rev14,5,,TT-102"});
    ASSERT_TRUE(b.ready());
    // Silent addresses cost their waits: short ones.
    CliResult r = b.run({"--json", "scan"});
    ASSERT_EQ(r.status, kExitSuccess) << r.err;
    ASSERT_EQ(r.lines().size(), 2u) << r.out;
    const auto second = nlohmann::json::parse(r.lines()[1]);
    EXPECT_EQ(second["short_address"], 5);
    EXPECT_EQ(second["software_revision"], 14);
    EXPECT_EQ(second["tag"], "TT-102");

    EXPECT_EQ(b.run({"address", "short", "3"}).status, kExitUsage);
    r = b.run({"--yes", "address", "short", "3"});
    EXPECT_EQ(r.status, kExitSuccess) << r.err;
    EXPECT_TRUE(Has(r.out, "short address: 3"));
    EXPECT_EQ(b.run({"--address", "3", "identify"}).status, kExitSuccess);
}

TEST(CliProcess, WriteProtectedDeviceGivesItsTextAndStatus) {
    CliBench b({"--preset", "rev8", "--locked"});
    ASSERT_TRUE(b.ready());
    CliResult r = b.run({"--yes", "setting", "set", "40", "1"});
    EXPECT_EQ(r.status, kExitWriteProtected);
    EXPECT_TRUE(Has(r.err, "Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на "
                           "корпусе датчика."))
        << r.err;
    // Pressing the button lets the same write through.
    kill(b.sim().pid(), SIGUSR1);
    bool pressed = false;
    while (!pressed) {
        const std::string line = b.sim().line();
        if (line.empty()) break;
        pressed = Has(line, "button");
    }
    EXPECT_TRUE(pressed);
    r = b.run({"--yes", "setting", "set", "40", "1"});
    EXPECT_EQ(r.status, kExitSuccess) << r.err;
}

TEST(CliProcess, PollPrintsLinesThenStatistics) {
    CliBench b({"--preset", "rev8"});
    ASSERT_TRUE(b.ready());
    CliResult r = b.run({"poll", "--count", "3", "--csv", b.file("poll.csv")});
    ASSERT_EQ(r.status, kExitSuccess) << r.err;
    const auto lines = r.lines();
    ASSERT_EQ(lines.size(), 4u) << r.out;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(Has(lines[i], "\tград. Цельс\t")) << lines[i];
        EXPECT_TRUE(Has(lines[i], "\tOK!")) << lines[i];
    }
    EXPECT_TRUE(Has(lines[3], "requests: 3, answers: 3, correct: 3, average: ")) << lines[3];
    const std::string csv = ReadFile(b.file("poll.csv"));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4) << csv;

    r = b.run({"--json", "poll", "--count", "2"});
    ASSERT_EQ(r.status, kExitSuccess) << r.err;
    ASSERT_EQ(r.lines().size(), 3u);
    const auto first = nlohmann::json::parse(r.lines()[0]);
    EXPECT_TRUE(first["value"].is_number());
    EXPECT_TRUE(first["current_ma"].is_number());
    EXPECT_EQ(first["status"], "OK!");
    EXPECT_EQ(nlohmann::json::parse(r.lines()[2])["statistics"]["requests"], 2);
}

TEST(CliProcess, CtrlCEndsAPollWithItsStatistics) {
    CliBench b({"--preset", "rev8"});
    ASSERT_TRUE(b.ready());
    int seen = 0;
    const CliResult r = b.run({"poll"}, [&](const std::string&) { return ++seen == 2; });
    EXPECT_EQ(r.status, kExitInterrupted) << r.err;
    ASSERT_GE(r.lines().size(), 3u) << r.out;
    EXPECT_TRUE(Has(r.lines().back(), "requests: ")) << r.out;
}

TEST(CliProcess, CtrlCEndsAFixedCurrentAndReleasesIt) {
    CliBench b({"--preset", "rev6"});
    ASSERT_TRUE(b.ready());
    EXPECT_EQ(b.run({"fix-current", "12"}).status, kExitUsage);
    const CliResult r =
        b.run({"--yes", "--trace", "fix-current", "12.5"}, [](const std::string& line) { return Has(line, "fixed"); });
    EXPECT_EQ(r.status, kExitInterrupted) << r.err;
    EXPECT_TRUE(Has(r.out, "fixed: 12.5000 mA")) << r.out;
    EXPECT_TRUE(Has(r.out, "released")) << r.out;
    // The device itself says its current is no longer fixed.
    const CliResult poll = b.run({"poll", "--count", "1"});
    ASSERT_EQ(poll.status, kExitSuccess) << poll.err;
    EXPECT_FALSE(Has(poll.out, "Ток фиксирован")) << poll.out;

    // --hold ends by itself; --leave-fixed leaves the device holding.
    EXPECT_EQ(b.run({"--yes", "fix-current", "8", "--hold", "0.2"}).status, kExitSuccess);
    EXPECT_EQ(b.run({"--yes", "fix-current", "8", "--hold", "0.1", "--leave-fixed"}).status, kExitSuccess);
    EXPECT_TRUE(Has(b.run({"poll", "--count", "1"}).out, "Ток фиксирован"));
    // A current-output device has no voltage to fix: not possible here, nothing sent.
    EXPECT_EQ(b.run({"--yes", "fix-voltage", "1.5", "--hold", "0.1"}).status, cli::kExitNotPossible);

    // The PWM output's duty, held and released the same way.
    const CliResult duty = b.run({"--yes", "fix-duty", "0.25", "--hold", "0.1"});
    EXPECT_EQ(duty.status, kExitSuccess) << duty.err;
    EXPECT_TRUE(Has(duty.out, "fixed: duty 0.2500")) << duty.out;
    EXPECT_TRUE(Has(duty.out, "released")) << duty.out;
    EXPECT_EQ(b.run({"--yes", "fix-duty", "1.5"}).status, kExitUsage);
}

TEST(CliProcess, ReachesTheDeviceThroughTheFlowComputer) {
    CliBench b({"--preset", "rev16", "--flow-computer", "--fc-address", "9", "--fc-password", "pw", "--fc-format",
                "33", "--fc-line", "2"});
    ASSERT_TRUE(b.ready());
    const std::vector<std::string> tunnel{"--tunnel",      "--fc-address", "9",  "--fc-password", "pw",
                                          "--fc-format",   "33",           "--fc-line", "2",  "--speed",
                                          "38400",         "--first-byte-wait", "1500"};
    std::vector<std::string> args = tunnel;
    args.insert(args.end(), {"--json", "poll", "--extended", "--count", "2"});
    CliResult r = b.run(args);
    ASSERT_EQ(r.status, kExitSuccess) << r.err;
    ASSERT_EQ(r.lines().size(), 3u) << r.out;
    const auto first = nlohmann::json::parse(r.lines()[0]);
    ASSERT_EQ(first["values"].size(), 4u);
    EXPECT_TRUE(first["values"][0].is_number());
    // The wrong password: the flow computer refuses, nothing reaches the device.
    args = tunnel;
    args.insert(args.end(), {"--fc-password", "no", "--attempts", "1", "identify"});
    r = b.run(args);
    EXPECT_EQ(r.status, kExitNoAnswer) << r.err;
}

struct FormCase {
    const char* preset;
    const char* form;
    bool extraPoint = false;  // the device keeps a point beside its segments
};

TEST(CliProcess, CalibrationReadWriteReadIsEqualForEachForm) {
    const std::vector<FormCase> forms = {
        {"rev3-hw1", "segments", true}, {"rev8", "code points"}, {"rev16", "temperature pairs"}};
    for (const auto& f : forms) {
        SCOPED_TRACE(f.form);
        CliBench b({"--preset", f.preset});
        ASSERT_TRUE(b.ready());
        CliResult r = b.run({"calibration", "read", "--out", b.file("a.clb")});
        ASSERT_EQ(r.status, kExitSuccess) << r.err;
        const std::string first = ReadFile(b.file("a.clb"));
        ASSERT_FALSE(first.empty());

        EXPECT_EQ(b.run({"calibration", "write", b.file("a.clb")}).status, kExitUsage);
        r = b.run({"--yes", "calibration", "write", b.file("a.clb")});
        if (f.extraPoint) {
            // The file cannot hold the device's extra point: it goes only when the engineer says so.
            EXPECT_EQ(r.status, kExitUsage) << r.err;
            EXPECT_TRUE(Has(r.err, "добавочная точка")) << r.err;
            r = b.run({"--yes", "calibration", "write", b.file("a.clb"), "--clear-extra-point"});
        }
        ASSERT_EQ(r.status, kExitSuccess) << r.err;

        r = b.run({"calibration", "read", "--out", b.file("b.clb")});
        ASSERT_EQ(r.status, kExitSuccess) << r.err;
        EXPECT_EQ(ReadFile(b.file("b.clb")), first);

        // An existing file is replaced only with --yes.
        EXPECT_EQ(b.run({"calibration", "read", "--out", b.file("b.clb")}).status, kExitUsage);

        r = RunCli({"calibration", "show", b.file("a.clb")}, b.sim().folder(), b.work());
        EXPECT_EQ(r.status, kExitSuccess) << r.err;
        EXPECT_FALSE(r.lines().empty());
    }
}

// The same commands through a HART-IP server instead of a serial port: no port
// is chosen, --hart-ip names the server, and nothing else changes.
TEST(CliProcess, ReachesTheDeviceOverHartIpOnTcpAndUdp) {
    DevsimProcess sim({"--preset", "rev8", "--long-address", "260F092964", "--hart-ip", "127.0.0.1:0",
                       "--turnaround-ms", "0"});
    const std::string address = sim.line();  // the first line names the port taken
    ASSERT_NE(address.rfind(':'), std::string::npos) << address;
    const std::string endpoint = "127.0.0.1:" + address.substr(address.rfind(':') + 1);
    char dir[] = "/tmp/quillon-cli-test-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string work = dir;
    for (const bool udp : {false, true}) {
        SCOPED_TRACE(udp ? "UDP" : "TCP");
        std::vector<std::string> link{"--hart-ip", endpoint, "--address", "0"};
        if (udp) link.push_back("--udp");
        const auto run = [&](std::vector<std::string> args) {
            args.insert(args.begin(), link.begin(), link.end());
            return RunCli(args, sim.folder(), work);
        };
        CliResult r = run({"identify"});
        EXPECT_EQ(r.status, kExitSuccess) << r.err;
        EXPECT_TRUE(Has(r.out, "long address: 26h 0Fh 09h 29h 64h")) << r.out;
        const std::string file = work + (udp ? "/udp.clb" : "/tcp.clb");
        r = run({"calibration", "read", "--out", file});
        EXPECT_EQ(r.status, kExitSuccess) << r.err;
        EXPECT_FALSE(ReadFile(file).empty());
    }
    EXPECT_EQ(ReadFile(work + "/tcp.clb"), ReadFile(work + "/udp.clb"));
    // A server nobody serves is a link failure, named as such.
    CliResult r = RunCli({"--hart-ip", "127.0.0.1:1", "--attempts", "1", "identify"}, sim.folder(), work);
    EXPECT_EQ(r.status, kExitNoAnswer) << r.err;
    EXPECT_TRUE(Has(r.err, "127.0.0.1:1")) << r.err;
    r = RunCli({"--hart-ip", "[::1", "identify"}, sim.folder(), work);
    EXPECT_EQ(r.status, kExitUsage) << r.err;
    std::error_code ec;
    std::filesystem::remove_all(work, ec);
}

}  // namespace
}  // namespace quillon
