#include <chrono>
#include <cstdlib>
#include <fstream>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/terminal.h"
#include "device/identification.h"
#include "device/polling.h"
#include "device/polling_format.h"
#include "device/polling_view_names.h"
#include "link/serial_link.h"
#include "device/menu_items.h"

namespace quillon::cli {

namespace {

using nlohmann::json;
namespace v = pollview;

std::string Trimmed(std::string text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string Text(const ViewTexts& t, const char* component) {
    const auto it = t.find(component);
    return it == t.end() ? std::string{} : Trimmed(it->second);
}

// A number the window shows, for JSON; null for "----------", "NAN" and blanks.
json Number(const std::string& text) {
    if (text.empty()) return nullptr;
    char* end = nullptr;
    const double d = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() ? json(d) : json(nullptr);
}

// "Ток = 4.0000000 mA" -> "4.0000000".
std::string LoopCurrent(const ViewTexts& t) {
    std::string text = Text(t, v::kPeriod);
    const std::string prefix = "Ток = ";
    if (text.rfind(prefix, 0) != 0) return {};
    text.erase(0, prefix.size());
    if (const auto space = text.rfind(' '); space != std::string::npos) text.erase(space);
    return text;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

class PollPrinter {
public:
    PollPrinter(Session& x, const PollOptions& o, std::ofstream* csv) : x_(x), o_(o), csv_(csv) {
        start_ = std::chrono::steady_clock::now();
        if (csv_) *csv_ << (o.extended ? "time,value1,value2,value3,value4\n" : "time,value,unit,current_ma,status\n");
    }

    void cycle(LiveViewKind kind, const ViewTexts& t) {
        ++cycles_;
        last_ = t;
        const std::string time = UtcTimestamp();
        if (kind == live_view::ShowAll)
            extendedLine(time, t);
        else
            simpleLine(time, t);
        if (done()) x_.state.flags.stopRequested = true;
    }

    void statistics() {
        const ViewTexts& t = last_;
        if (o_.extended) {
            json groups = json::array();
            std::string text = "requests: " + Text(t, v::kAllRequests) + ", answers: " + Text(t, v::kAllAnswers);
            for (std::size_t g = 0; g < 4; ++g) {
                const std::string avg = Text(t, v::kGroupAverage[g]);
                const std::string correct = Text(t, v::kGroupCorrect[g]);
                text += "; " + std::to_string(g + 1) + ": average " + avg + ", correct " + correct;
                groups.push_back({{"average", Number(avg)}, {"correct", Number(correct)}});
            }
            x_.out.result(text, json{{"statistics", {{"requests", Number(Text(t, v::kAllRequests))},
                                                      {"answers", Number(Text(t, v::kAllAnswers))},
                                                      {"groups", groups}}}});
            return;
        }
        const std::string requests = Text(t, v::kRequests), answers = Text(t, v::kAnswers),
                          correct = Text(t, v::kCorrect), avg = Text(t, v::kAverage), min = Text(t, v::kMinimum),
                          max = Text(t, v::kMaximum);
        x_.out.result("requests: " + requests + ", answers: " + answers + ", correct: " + correct +
                          ", average: " + avg + ", min: " + min + ", max: " + max,
                      json{{"statistics",
                            {{"requests", Number(requests)},
                             {"answers", Number(answers)},
                             {"correct", Number(correct)},
                             {"average", Number(avg)},
                             {"min", Number(min)},
                             {"max", Number(max)}}}});
    }

    long cycles() const { return cycles_; }
    long answers() const { return std::atol(Text(last_, o_.extended ? v::kAllAnswers : v::kAnswers).c_str()); }

private:
    bool done() const {
        if (o_.count && cycles_ >= *o_.count) return true;
        if (o_.seconds && std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count() >= *o_.seconds)
            return true;
        return false;
    }

    void simpleLine(const std::string& time, const ViewTexts& t) {
        const std::string value = Text(t, v::kValue), unit = Text(t, v::kUnit), current = LoopCurrent(t),
                          status = Text(t, v::kStatus);
        x_.out.result(time + "\t" + value + "\t" + unit + "\t" + current + "\t" + status,
                      json{{"time", time},
                           {"value", Number(value)},
                           {"value_text", value},
                           {"unit", unit},
                           {"current_ma", Number(current)},
                           {"status", status}});
        if (csv_)
            *csv_ << CsvField(time) << ',' << CsvField(value) << ',' << CsvField(unit) << ',' << CsvField(current)
                  << ',' << CsvField(status) << '\n';
    }

    void extendedLine(const std::string& time, const ViewTexts& t) {
        std::string text = time;
        json values = json::array();
        for (std::size_t g = 0; g < 4; ++g) {
            const std::string value = Text(t, v::kGroupValue[g]);
            text += "\t" + value;
            values.push_back(Number(value));
            if (csv_) *csv_ << (g == 0 ? CsvField(time) + "," : ",") << CsvField(value);
        }
        if (csv_) *csv_ << '\n';
        x_.out.result(text, json{{"time", time}, {"values", values}});
    }

    Session& x_;
    const PollOptions& o_;
    std::ofstream* csv_;
    std::chrono::steady_clock::time_point start_;
    long cycles_ = 0;
    ViewTexts last_;
};

}  // namespace

int RunPoll(Session& x, const PollOptions& o) {
    std::ofstream csv;
    if (o.csv) {
        csv.open(*o.csv, std::ios::out | std::ios::trunc);
        if (!csv) {
            x.out.message("Не могу создать файл " + *o.csv);
            return kExitFileError;
        }
    }
    if (!PrepareLink(x)) return kExitNoAnswer;
    // Numbers for scripts: the point, whatever the locale.
    x.state.decimalSeparator = '.';
    PollPrinter printer(x, o, o.csv ? &csv : nullptr);
    bool identified = false;
    WithPortOpen(x.state, [&] {
        identified = Identify(x);
        if (!identified) return;
        // A poll goes on through silent cycles, as the statistics window does.
        x.watch.setAttemptLimit(0);
        x.ui.onCycle = [&](LiveViewKind kind, const ViewTexts& t) { printer.cycle(kind, t); };
        if (o.extended)
            RunExtendedPoll(x.state);
        else
            RunSimplePoll(x.state, PollRequest::Command3);
        x.ui.onCycle = nullptr;
    });
    if (!identified) return Status(x, false);
    printer.statistics();
    if (csv.is_open()) {
        csv.close();
        if (!csv) {
            x.out.message("Не могу записать в файл " + *o.csv);
            return kExitFileError;
        }
    }
    if (x.ui.interrupted()) return kExitInterrupted;
    if (printer.answers() == 0) return kExitNoAnswer;
    return kExitSuccess;
}

}  // namespace quillon::cli
