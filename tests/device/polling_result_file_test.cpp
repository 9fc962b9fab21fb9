#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "device/result_file.h"
#include "support/environment.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using std::chrono::system_clock;

std::vector<std::uint8_t> ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the test in a fixed time zone three hours east of UTC (POSIX writes
// the offset with the opposite sign), and in a scratch directory.
class ResultFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* tz = std::getenv("TZ")) savedTz_ = tz;
        testing::SetEnvironment("TZ", "QLN-3");
        tzset();
        dir_ = fs::temp_directory_path() / ("quillon-resultfile-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override {
        if (savedTz_)
            testing::SetEnvironment("TZ", *savedTz_);
        else
            testing::UnsetEnvironment("TZ");
        tzset();
        fs::remove_all(dir_);
    }

    std::optional<std::string> savedTz_;
    fs::path dir_;
};

// 2026-12-08 10:30:00.25 UTC. From 1970-01-01: 56 years of which 14 leap
// (1972..2024), then 334 days of January to November 2026 and 7 of December.
constexpr long kDaysSince1970 = 56 * 365 + 14 + 334 + 7;
const system_clock::time_point kSample = system_clock::time_point{} + std::chrono::hours(24 * kDaysSince1970) +
                                         std::chrono::minutes(10 * 60 + 30) + std::chrono::milliseconds(250);
// Local time 13:30:00.25 that day; 1899-12-30 is 25569 days before 1970-01-01.
const double kSampleDayNumber = 25569.0 + kDaysSince1970 + (13.5 * 3600 + 0.25) / 86400.0;

TEST_F(ResultFileTest, DayNumberCountsLocalDaysSince1899_12_30) {
    EXPECT_DOUBLE_EQ(LocalDayNumber(kSample), kSampleDayNumber);
    // 21:00 UTC is already the next day here.
    EXPECT_DOUBLE_EQ(LocalDayNumber(kSample + std::chrono::milliseconds(10 * 3600 * 1000 + 30 * 60 * 1000 - 250)),
                     25569.0 + kDaysSince1970 + 1.0);
}

TEST_F(ResultFileTest, RecordLayoutByteForByte) {
    const fs::path p = dir_ / "prot.ctr";
    const ResultFile file(p.string(), [] { return kSample; });
    ASSERT_FALSE(file.create());
    ASSERT_FALSE(file.append(21.5f));

    std::vector<std::uint8_t> expected{'S', 'T', 'A', 'T'};
    const auto date = std::bit_cast<std::uint64_t>(kSampleDayNumber);
    for (int i = 0; i < 8; ++i) expected.push_back(static_cast<std::uint8_t>(date >> (8 * i)));
    expected.insert(expected.end(), {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    expected.insert(expected.end(), {0x00, 0x00, 0xAC, 0x41});  // 21.5f = 0x41AC0000
    EXPECT_EQ(ReadAll(p), expected);
}

TEST_F(ResultFileTest, CreateEmptiesAndAppendAddsTheHeaderToAnEmptyFile) {
    const fs::path p = dir_ / "prot.ctr";
    std::ofstream(p) << "old contents that must go";
    const ResultFile file(p.string(), [] { return kSample; });
    ASSERT_FALSE(file.create());
    EXPECT_EQ(ReadAll(p), (std::vector<std::uint8_t>{'S', 'T', 'A', 'T'}));
    ASSERT_FALSE(file.append(1.0f));
    ASSERT_FALSE(file.append(2.0f));
    EXPECT_EQ(ReadAll(p).size(), 4u + 2 * kResultRecordSize);

    const fs::path fresh = dir_ / "fresh.ctr";
    std::ofstream(fresh).close();
    ASSERT_FALSE(ResultFile(fresh.string(), [] { return kSample; }).append(1.0f));
    const auto bytes = ReadAll(fresh);
    ASSERT_EQ(bytes.size(), 4u + kResultRecordSize);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "STAT");
}

TEST_F(ResultFileTest, UnwritablePathGivesTheSystemsText) {
    const ResultFile file((dir_ / "no-such-dir" / "prot.ctr").string(), [] { return kSample; });
    const auto created = file.create();
    ASSERT_TRUE(created);
    EXPECT_FALSE(created->empty());
    EXPECT_TRUE(file.append(1.0f));
}

}  // namespace
}  // namespace quillon
