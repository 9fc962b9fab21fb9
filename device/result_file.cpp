#include "device/result_file.h"

#include <bit>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>
#include <system_error>

namespace quillon {

namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
long DaysFromCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

// 1899-12-30 lies this many days before 1970-01-01.
constexpr long kDayNumberOfUnixEpoch = 25569;

void PutLittleEndian(std::uint8_t* out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::string LastErrorText() { return std::error_code(errno, std::generic_category()).message(); }

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Closes explicitly so that a failed flush is reported, not lost.
std::optional<std::string> Close(File& file) {
    std::FILE* f = file.release();
    if (std::fclose(f) != 0) return LastErrorText();
    return std::nullopt;
}

}  // namespace

double LocalDayNumber(std::chrono::system_clock::time_point t) {
    using namespace std::chrono;
    const auto whole = floor<seconds>(t);
    const double fraction = duration<double>(t - whole).count();
    const std::time_t tt = system_clock::to_time_t(time_point_cast<system_clock::duration>(whole));
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &tt);
#else
    localtime_r(&tt, &local);
#endif
    const long days = DaysFromCivil(local.tm_year + 1900L, static_cast<unsigned>(local.tm_mon + 1),
                                    static_cast<unsigned>(local.tm_mday)) +
                      kDayNumberOfUnixEpoch;
    const double secondsOfDay = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
    return static_cast<double>(days) + secondsOfDay / 86400.0;
}

std::array<std::uint8_t, kResultRecordSize> EncodeResultRecord(double dayNumber, float value) {
    std::array<std::uint8_t, kResultRecordSize> r{};
    PutLittleEndian(r.data(), std::bit_cast<std::uint64_t>(dayNumber), 8);
    r[8] = 1;
    r[9] = 1;
    PutLittleEndian(r.data() + 20, std::bit_cast<std::uint32_t>(value), 4);
    return r;
}

std::optional<std::string> ResultFile::create() const {
    File f(std::fopen(path_.c_str(), "wb"));
    if (!f) return LastErrorText();
    if (std::fwrite(kResultFileHeader, 1, 4, f.get()) != 4) return LastErrorText();
    return Close(f);
}

std::optional<std::string> ResultFile::append(float value) const {
    File f(std::fopen(path_.c_str(), "ab"));
    if (!f) return LastErrorText();
    if (std::fseek(f.get(), 0, SEEK_END) != 0) return LastErrorText();
    const long size = std::ftell(f.get());
    if (size < 0) return LastErrorText();
    if (size == 0 && std::fwrite(kResultFileHeader, 1, 4, f.get()) != 4) return LastErrorText();
    const auto record = EncodeResultRecord(LocalDayNumber(clock_()), value);
    if (std::fwrite(record.data(), 1, record.size(), f.get()) != record.size()) return LastErrorText();
    return Close(f);
}

}  // namespace quillon
