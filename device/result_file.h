#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quillon {

// Where the date of a record comes from; tests pass a fixed time.
using WallClock = std::function<std::chrono::system_clock::time_point()>;
inline WallClock SystemWallClock() {
    return [] { return std::chrono::system_clock::now(); };
}

// Local date and time as days since 30 December 1899, the fraction being the
// time of day: the date form the programs reading these files expect.
double LocalDayNumber(std::chrono::system_clock::time_point t);

inline constexpr std::size_t kResultRecordSize = 24;
inline constexpr char kResultFileHeader[] = "STAT";

// One record, little-endian: date (double), two bytes 1, ten bytes 0, value (float).
std::array<std::uint8_t, kResultRecordSize> EncodeResultRecord(double dayNumber, float value);

// The poll's result file. Each call opens and closes the file, so the data
// is on disk after every value even if the tool is killed.
class ResultFile {
public:
    ResultFile(std::string path, WallClock clock) : path_(std::move(path)), clock_(std::move(clock)) {}

    // Creates the file afresh (an existing one is emptied) holding just the
    // header. Returns the system's error text on failure.
    std::optional<std::string> create() const;
    // Appends a record of `value` dated now, writing the header first if the
    // file is empty. Returns the system's error text on failure.
    std::optional<std::string> append(float value) const;

private:
    std::string path_;
    WallClock clock_;
};

}  // namespace quillon
