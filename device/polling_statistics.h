#pragma once

namespace quillon {

// Counters and running figures of one poll; all reset together (F4).
struct PollStatistics {
    long requests = 0;
    long answers = 0;
    long correctAnswers = 0;
    long values = 0;
    double sum = 0.0;
    double minimum = 0.0;  // meaningful once values > 0
    double maximum = 0.0;

    void reset() { *this = PollStatistics{}; }
    // A good value; the first one after a reset is both minimum and maximum.
    void add(double value) {
        if (values == 0 || value < minimum) minimum = value;
        if (values == 0 || value > maximum) maximum = value;
        sum += value;
        ++values;
    }
    double average() const { return values > 0 ? sum / static_cast<double>(values) : 0.0; }
};

}  // namespace quillon
