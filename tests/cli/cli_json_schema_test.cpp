#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "cli/exit_status.h"
#include "cli_bench.h"

namespace quillon {
namespace {

using nlohmann::json;
using testing::CliBench;
using testing::CliResult;
using testing::Has;

// A field and the JSON types it may hold: "string", "integer", "number",
// "boolean", "array", "object", "null" joined by '|'. The README's schema in
// this form; a line with a field more or less than its schema fails.
using Shape = std::vector<std::pair<std::string, std::string>>;

bool IsOfType(const json& v, const std::string& types) {
    std::size_t from = 0;
    for (;;) {
        const std::size_t bar = types.find('|', from);
        const std::string t = types.substr(from, bar == std::string::npos ? std::string::npos : bar - from);
        if ((t == "string" && v.is_string()) || (t == "integer" && v.is_number_integer()) ||
            (t == "number" && v.is_number()) || (t == "boolean" && v.is_boolean()) || (t == "array" && v.is_array()) ||
            (t == "object" && v.is_object()) || (t == "null" && v.is_null()))
            return true;
        if (bar == std::string::npos) return false;
        from = bar + 1;
    }
}

void ExpectShape(const json& line, const Shape& shape) {
    ASSERT_TRUE(line.is_object()) << line.dump();
    EXPECT_EQ(line.size(), shape.size()) << line.dump();
    for (const auto& [field, types] : shape) {
        ASSERT_TRUE(line.contains(field)) << field << " in " << line.dump();
        EXPECT_TRUE(IsOfType(line[field], types)) << field << " should be " << types << ": " << line.dump();
    }
}

// The JSON line of `args` numbered `index` (-1: the last), after a successful run.
json Line(CliBench& b, std::vector<std::string> args, int index = 0) {
    args.insert(args.begin(), "--json");
    const CliResult r = b.run(args);
    EXPECT_EQ(r.status, cli::kExitSuccess) << r.err;
    const auto lines = r.lines();
    if (lines.empty()) return json();
    const std::string& text = index < 0 ? lines.back() : lines.at(static_cast<std::size_t>(index));
    return json::parse(text);
}

const Shape kIdentify = {{"long_address", "string"},    {"short_address", "integer"},     {"tag", "string|null"},
                         {"manufacturer_id", "integer"}, {"device_type", "integer"},       {"universal_revision", "integer"},
                         {"software_revision", "integer"}, {"device_revision", "integer"}, {"hardware_revision", "integer"},
                         {"response_preambles", "integer"}, {"calibration_points", "integer"}, {"own_make", "boolean"},
                         {"variant", "string"}};
const Shape kCalibration = {{"form", "string"},      {"enabled", "boolean"},      {"readings_are_codes", "boolean"},
                            {"sensor_id", "string|null"}, {"extra_point", "object|null"}, {"points", "array"}};

TEST(CliJson, EverySubCommandPrintsItsDocumentedShape) {
    CliBench b({"--preset", "rev8", "--long-address", "260F092964", "--tag", "TT-7"});
    ASSERT_TRUE(b.ready());

    ExpectShape(Line(b, {"ports"}), {{"port", "string"}, {"path", "string"}, {"index", "integer"}});

    const json id = Line(b, {"identify"});
    ExpectShape(id, kIdentify);
    EXPECT_EQ(id["long_address"], "260F092964");
    EXPECT_EQ(id["tag"], "TT-7");
    EXPECT_EQ(id["software_revision"], 8);
    EXPECT_EQ(id["own_make"], true);

    ExpectShape(Line(b, {"setting", "get", "1"}),
                {{"setting", "integer"}, {"value", "integer"}, {"hex", "string"}, {"float", "number|null"}});
    const json written = Line(b, {"-y", "setting", "set", "40", "2.5"});
    ExpectShape(written, {{"setting", "integer"}, {"value", "integer"}, {"hex", "string"}, {"written", "boolean"}});
    EXPECT_EQ(written["hex"], "0x40200000");
    EXPECT_EQ(Line(b, {"setting", "get", "40"})["float"], 2.5);

    ExpectShape(Line(b, {"tag"}), {{"tag", "string"}});
    ExpectShape(Line(b, {"preambles"}), {{"preambles", "integer|null"}});

    const json poll = Line(b, {"poll", "-c", "2"});
    ExpectShape(poll, {{"time", "string"},
                       {"value", "number|null"},
                       {"value_text", "string"},
                       {"unit", "string"},
                       {"current_ma", "number|null"},
                       {"status", "string"}});
    const json stats = Line(b, {"poll", "-c", "2"}, -1);
    ExpectShape(stats, {{"statistics", "object"}});
    ExpectShape(stats["statistics"], {{"requests", "integer"},
                                      {"answers", "integer"},
                                      {"correct", "integer|null"},
                                      {"average", "number|null"},
                                      {"min", "number|null"},
                                      {"max", "number|null"}});
    EXPECT_EQ(stats["statistics"]["requests"], 2);

    const json command = Line(b, {"command", "0"});
    ExpectShape(command, {{"command", "integer"},
                          {"response_code", "integer"},
                          {"communication_error", "boolean"},
                          {"device_status", "integer"},
                          {"data", "string"},
                          {"bytes", "array"}});
    EXPECT_EQ(command["bytes"][0], 254);

    const json read = Line(b, {"calibration", "read", "-o", b.file("a.clb")});
    ExpectShape(read, {{"file", "string"}, {"calibration", "object"}});
    ExpectShape(read["calibration"], kCalibration);
    EXPECT_EQ(read["calibration"]["form"], "code_points");
    ASSERT_FALSE(read["calibration"]["points"].empty());
    ExpectShape(read["calibration"]["points"][0], {{"code", "integer"}, {"value", "number"}});
    const json shown = Line(b, {"calibration", "show", b.file("a.clb")});
    EXPECT_EQ(shown["calibration"]["points"], read["calibration"]["points"]);
    const json sent = Line(b, {"-y", "calibration", "write", b.file("a.clb")});
    ExpectShape(sent, {{"file", "string"}, {"calibration", "object"}, {"written", "boolean"}});

    ExpectShape(Line(b, {"-y", "tag", "set", "TT-8"}), {{"tag", "string"}, {"written", "boolean"}});
    EXPECT_EQ(Line(b, {"tag"})["tag"], "TT-8");
    ExpectShape(Line(b, {"-y", "preambles", "7"}), {{"preambles", "integer"}, {"written", "boolean"}});
    ExpectShape(Line(b, {"scan"}), {{"short_address", "integer"},
                                    {"long_address", "string"},
                                    {"manufacturer_id", "integer"},
                                    {"device_type", "integer"},
                                    {"own_make", "boolean"},
                                    {"universal_revision", "integer"},
                                    {"device_revision", "integer"},
                                    {"software_revision", "integer"},
                                    {"hardware_revision", "integer"},
                                    {"variant", "string"},
                                    {"tag", "string|null"}});
    ExpectShape(Line(b, {"-y", "address", "short", "2"}), {{"short_address", "integer"}});
}

TEST(CliJson, OutputsAndSegmentCalibrationsPrintTheirShape) {
    CliBench b({"--preset", "rev6"});
    ASSERT_TRUE(b.ready());
    const json fixed = Line(b, {"-y", "fix-current", "8.5", "--hold", "0.1"});
    ExpectShape(fixed, {{"fixed", "number"}, {"unit", "string"}});
    // The single sent, printed as the shortest decimal that is that single.
    EXPECT_EQ(fixed["fixed"].dump(), "8.500001");
    ExpectShape(Line(b, {"-y", "fix-current", "8.5", "--hold", "0.1"}, 1), {{"released", "boolean"}});
    ExpectShape(Line(b, {"-y", "release"}), {{"released", "boolean"}});

    CliBench segments({"--preset", "rev3-hw1"});
    ASSERT_TRUE(segments.ready());
    const json read = Line(segments, {"calibration", "read", "-o", segments.file("s.clb")});
    EXPECT_EQ(read["calibration"]["form"], "segments");
    ASSERT_FALSE(read["calibration"]["points"].empty());
    ExpectShape(read["calibration"]["points"][0],
                {{"start_code", "integer"}, {"start_value", "number"}, {"slope", "number"}});

    CliBench pairs({"--preset", "rev16"});
    ASSERT_TRUE(pairs.ready());
    const json pairRead = Line(pairs, {"calibration", "read", "-o", pairs.file("p.clb")});
    EXPECT_EQ(pairRead["calibration"]["form"], "temperature_pairs");
    ASSERT_FALSE(pairRead["calibration"]["points"].empty());
    ExpectShape(pairRead["calibration"]["points"][0], {{"value", "number"}, {"reading", "number"}});
}

}  // namespace
}  // namespace quillon
