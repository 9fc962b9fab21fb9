#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/exit_status.h"
#include "cli/json_values.h"
#include "cli/number_options.h"

namespace quillon::cli {
namespace {

struct NumberCase {
    const char* text;
    bool taken;
    const char* refusal;  // part of the refusal text
};

// Each kind of number the command line takes, with the windows' refusal texts.
TEST(CliNumbers, RefuseWhatTheWindowsRefuse) {
    const std::vector<NumberCase> decimals = {
        {"2.5", true, ""},          {"2,5", true, ""},
        {"nan", false, "не является числом"},
        {"NaN", false, "не является числом"},
        {"inf", false, "не является числом"},
        {"1e999", false, "вне допустимого диапазона"},
        {"0", false, "вне допустимого диапазона: от 0.001 до"},
        {"-3", false, "вне допустимого диапазона"},
        {"", false, "не является числом"},
        {"1e7", true, ""},
    };
    for (const auto& c : decimals) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DecimalInRange(c.text, 0.001, 1e7).has_value(), c.taken);
        EXPECT_NE(DecimalRefusal(c.text, 0.001, 1e7).find(c.refusal), std::string::npos)
            << DecimalRefusal(c.text, 0.001, 1e7);
    }
    const std::vector<NumberCase> wholes = {
        {"3", true, ""},
        {"+3", true, ""},
        {"18446744073709551617", false, "вне допустимого диапазона"},
        {"-1", false, "вне допустимого диапазона"},
        {"3.0", false, "не является целым числом"},
        {"nan", false, "не является целым числом"},
        {"1000000000000", true, ""},
    };
    for (const auto& c : wholes) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(WholeInRange(c.text, 1, 1000000000000LL).has_value(), c.taken);
        EXPECT_NE(WholeRefusal(c.text, 1, 1000000000000LL).find(c.refusal), std::string::npos);
    }
    const std::vector<NumberCase> singles = {
        {"12.5", true, ""},
        {"3.4028234e38", true, ""},
        {"1e39", false, "вне допустимого диапазона"},
        {"-1e39", false, "вне допустимого диапазона"},
        {"nan", false, "«nan» не является числом."},
        {"12 mA", false, "не является числом"},
    };
    for (const auto& c : singles) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SingleNumber(c.text).has_value(), c.taken);
        EXPECT_NE(SingleRefusal(c.text).find(c.refusal), std::string::npos) << SingleRefusal(c.text);
    }
}

// What a script reads: numbers as numbers, no float noise, null for what is no number.
TEST(CliJson, ValuesHaveOneFormEverywhere) {
    EXPECT_EQ(SingleJson(8.5f).dump(), "8.5");
    // The single nearest 8.500001: printed so that it reads back as that single.
    EXPECT_EQ(SingleJson(8.500001f).dump(), "8.500001");
    EXPECT_EQ(SingleJson(0.1f).dump(), "0.1");
    EXPECT_TRUE(SingleJson(std::numeric_limits<float>::quiet_NaN()).is_null());
    EXPECT_TRUE(SingleJson(std::numeric_limits<float>::infinity()).is_null());
    EXPECT_EQ(ShownNumberJson("3").dump(), "3");
    EXPECT_TRUE(ShownNumberJson("3").is_number_integer());
    EXPECT_EQ(ShownNumberJson("4.0000000").get<double>(), 4.0);
    EXPECT_TRUE(ShownNumberJson("----------").is_null());
    EXPECT_TRUE(ShownNumberJson("NAN").is_null());
    EXPECT_TRUE(ShownNumberJson("").is_null());

    EXPECT_EQ(LongAddressHex({0x26, 0x16, 0x01, 0x00, 0x20}), "2616010020");
    const auto parsed = ParseLongAddressHex("26160100a0");
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ((*parsed)[4], 0xA0);
    EXPECT_FALSE(ParseLongAddressHex("26 16 01 00 20").has_value());
    EXPECT_FALSE(ParseLongAddressHex("261601002").has_value());
    EXPECT_FALSE(ParseLongAddressHex("26160100zz").has_value());
}

struct ParseCase {
    const char* name;
    std::vector<std::string> args;
    std::optional<int> status;  // nothing: parsed
    const char* command;
};

// Options anywhere, short forms, mistyped words: the parse alone, no device.
TEST(CliArguments, ParsesLikeAUnixTool) {
    const std::vector<ParseCase> cases = {
        {"global option after the sub-command", {"calibration", "write", "f.clb", "--yes"}, std::nullopt,
         "calibration write"},
        {"short options", {"-y", "-j", "-p", "sim0", "-a", "3", "setting", "get", "15"}, std::nullopt, "setting get"},
        {"poll's own short options", {"poll", "-c", "3", "-i", "200", "-p", "sim0"}, std::nullopt, "poll"},
        {"tag read", {"tag"}, std::nullopt, "tag"},
        {"tag write", {"tag", "set", "TT-7"}, std::nullopt, "tag set"},
        {"any command", {"command", "48"}, std::nullopt, "command"},
        {"NaN seconds", {"poll", "--seconds", "NaN"}, kExitUsage, ""},
        {"huge count", {"poll", "--count", "18446744073709551617"}, kExitUsage, ""},
        {"NaN hold", {"fix-current", "12", "--hold", "nan"}, kExitUsage, ""},
        {"NaN current", {"fix-current", "nan"}, kExitUsage, ""},
        {"huge current", {"fix-current", "1e39"}, kExitUsage, ""},
        {"empty output file", {"calibration", "read", "--out", ""}, kExitUsage, ""},
        {"empty file to show", {"calibration", "show", ""}, kExitUsage, ""},
        {"bad long address", {"--long-address", "26h", "identify"}, kExitUsage, ""},
        {"address out of range", {"-a", "64", "identify"}, kExitUsage, ""},
        {"mistyped sub-command", {"idnetify"}, kExitUsage, ""},
        {"no sub-command", {"-y"}, kExitUsage, ""},
        {"version", {"-V"}, kExitSuccess, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CLI::App app;
        Invocation v;
        DeclareCommandLine(app, v);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const auto status = ParseCommandLine(app, v, c.args);
        testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, c.status) << err;
        if (!c.status) {
            EXPECT_EQ(v.command, c.command);
        }
    }
    CLI::App app;
    Invocation v;
    DeclareCommandLine(app, v);
    ASSERT_FALSE(ParseCommandLine(app, v, {"poll", "-c", "3", "--json", "-n", "2", "-t", "2.5"}));
    EXPECT_EQ(v.poll.count, 3);
    EXPECT_TRUE(v.common.json);
    EXPECT_EQ(v.common.attempts, 2);
    EXPECT_EQ(v.timeoutSeconds, 2.5);
}

TEST(CliArguments, NamesTheSubCommandMeantAndShowsDefaults) {
    const std::vector<std::string> names{"identify", "poll", "setting", "scan", "calibration", "command"};
    EXPECT_EQ(ClosestName("idnetify", names), "identify");
    EXPECT_EQ(ClosestName("pol", names), "poll");
    EXPECT_EQ(ClosestName("calib", names), "calibration");
    EXPECT_EQ(ClosestName("frobnicate", names), "");

    CLI::App app;
    Invocation v;
    DeclareCommandLine(app, v);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ParseCommandLine(app, v, {"setting", "gte", "1"}), kExitUsage);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("«gte»"), std::string::npos) << err;
    EXPECT_NE(err.find("«get»"), std::string::npos) << err;

    CLI::App fresh;
    Invocation defaults;
    DeclareCommandLine(fresh, defaults);
    const std::string help = fresh.help();
    // The values used when neither the settings file nor the option gives one.
    for (const char* shown : {"--address INT=1", "--attempts INT=3", "--first-byte-wait INT=1000", "124"})
        EXPECT_NE(help.find(shown), std::string::npos) << shown;
}

TEST(CliBatch, SplitsLinesAsAShellWould) {
    EXPECT_EQ(SplitBatchLine("setting set 15 2.5  # the gain"),
              (std::vector<std::string>{"setting", "set", "15", "2.5"}));
    EXPECT_EQ(SplitBatchLine("tag set \"TT 102\""), (std::vector<std::string>{"tag", "set", "TT 102"}));
    EXPECT_EQ(SplitBatchLine("calibration read -o ''"), (std::vector<std::string>{"calibration", "read", "-o", ""}));
    EXPECT_EQ(SplitBatchLine("   "), std::vector<std::string>{});
    EXPECT_FALSE(SplitBatchLine("tag set \"TT").has_value());
}

}  // namespace
}  // namespace quillon::cli
