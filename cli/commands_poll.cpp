#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/outcome_status.h"
#include "cli/json_values.h"
#include "cli/terminal.h"
#include "link/exchange.h"
#include "link/link_open.h"
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

// A number the window shows, for JSON: counts as integers; null for
// "----------", "NAN" and blanks.
json Number(const std::string& text) { return ShownNumberJson(text); }

constexpr const char* kNoValue = "----------";

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
        // The window keeps showing the last good loop current through a
        // silent cycle; a line of this cycle must not.
        const bool answered = answered_;
        const std::string time = UtcTimestamp();
        if (kind == live_view::ShowAll)
            extendedLine(time, t, answered);
        else
            simpleLine(time, t, answered);
        if (done()) {
            x_.state.flags.stopRequested = true;
            return;
        }
        pause();
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

    long long cycles() const { return cycles_; }
    // The poll's own outcome, told before its window's cycle ends.
    void sample(const PollSample& s) { answered_ = s.outcome.done(); }
    long answers() const { return std::atol(Text(last_, o_.extended ? v::kAllAnswers : v::kAnswers).c_str()); }

private:
    bool done() const {
        if (o_.count && cycles_ >= *o_.count) return true;
        if (o_.seconds && std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count() >= *o_.seconds)
            return true;
        return false;
    }

    // --interval: the pause after a poll, through which a HART-IP session is kept alive.
    void pause() {
        if (!o_.intervalMs || *o_.intervalMs <= 0) return;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(*o_.intervalMs);
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
            if (left <= 0) return;
            if (!PauseProcessingEvents(x_.state, static_cast<int>(std::min<long long>(left, 100)), false)) {
                // The stop stays raised so that the poll ends after this pause.
                x_.state.flags.stopRequested = true;
                return;
            }
            KeepLinkAlive(x_.state);
        }
    }

    void simpleLine(const std::string& time, const ViewTexts& t, bool answered) {
        const std::string value = Text(t, v::kValue), unit = Text(t, v::kUnit),
                          current = answered ? LoopCurrent(t) : std::string(kNoValue), status = Text(t, v::kStatus);
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

    void extendedLine(const std::string& time, const ViewTexts& t, bool answered) {
        std::string text = time;
        json values = json::array();
        for (std::size_t g = 0; g < 4; ++g) {
            const std::string value = answered ? Text(t, v::kGroupValue[g]) : std::string(kNoValue);
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
    long long cycles_ = 0;
    bool answered_ = false;
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
    // Numbers for scripts: the point, whatever the locale.
    x.state.decimalSeparator = '.';
    PollPrinter printer(x, o, o.csv ? &csv : nullptr);
    Outcome run;
    const int status = WithDevice(x, [&] {
        // A poll goes on through silent polls, as the statistics window does,
        // and its outcome says afterwards whether its last --attempts polls
        // went unanswered or the link was lost.
        x.watch.setAttemptLimit(0);
        x.ui.onCycle = [&](LiveViewKind kind, const ViewTexts& t) { printer.cycle(kind, t); };
        PollRunOptions options;
        options.unansweredLimit = x.options.attempts;
        options.onSample = [&](const PollSample& sample) { printer.sample(sample); };
        run = o.extended ? RunExtendedPoll(x.state, options)
                         : RunSimplePoll(x.state, PollRequest::Command3, SystemWallClock(), options);
        x.ui.onCycle = nullptr;
        x.watch.setAttemptLimit(x.options.attempts);
        return kExitSuccess;
    });
    if (status != kExitSuccess) return status;
    printer.statistics();
    if (csv.is_open()) {
        csv.close();
        if (!csv) {
            x.out.message("Не могу записать в файл " + *o.csv);
            return kExitFileError;
        }
    }
    if (x.watch.timedOut()) return kExitTimeout;
    if (x.ui.interrupted()) return kExitInterrupted;
    // Fewer polls than --attempts, none answered: no run can be called done.
    if (run.done() && printer.answers() == 0) {
        x.out.message("Ни один опрос не получил ответа");
        return kExitNoAnswer;
    }
    return PresentOutcome(x, PollRunReport(run), run);
}

}  // namespace quillon::cli
