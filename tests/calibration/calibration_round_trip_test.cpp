#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>

#include "calibration/calibration_file.h"
#include "link/link_test_support.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::SimBench;
using testing::TempFolder;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The identity the tool has for a device of each form, or none.
struct DeviceForm {
    const char* name;
    std::uint8_t software;
    int points;
    bool extended;
};
constexpr DeviceForm kDevices[] = {
    {"segments", 4, 8, false},
    {"code points", 8, 15, true},
    {"temperature pairs", 16, 25, true},
    {"none identified", 255, 8, false},
};

// What a list may hold: mostly what the tool makes, sometimes what it must not keep.
struct ListMaker {
    std::mt19937 rng;
    float value(bool nanToo = true) {
        switch (rng() % 17) {
            case 0:
                if (nanToo) return std::numeric_limits<float>::quiet_NaN();
                return 0.0f;
            case 1: return -0.0f;  // its sign must survive a text file too
            case 2: return 1.0e-40f;  // subnormal
            case 3: return std::numeric_limits<float>::max();
            default: return std::uniform_real_distribution<float>(-2000.0f, 2000.0f)(rng);
        }
    }
    std::size_t count(std::size_t max) { return rng() % (max + 2); }  // empty and one too many included

    std::vector<CalibrationSegment> segments(std::size_t max) {
        std::vector<CalibrationSegment> t(count(max));
        for (auto& s : t) s = {static_cast<std::uint32_t>(rng() % 16777216), value(), value()};
        return t;
    }
    std::vector<CodePoint> codePoints(std::size_t max) {
        std::vector<CodePoint> p(count(max));
        std::uint32_t code = rng() % 1000;
        for (auto& c : p) {
            c = {code, value(), 0.0f};
            code += rng() % 8 == 0 ? 0 : 1 + rng() % 100000;  // now and then an equal code
        }
        if (p.size() > 2 && rng() % 8 == 0) std::swap(p[0], p[1]);  // or codes out of order
        return p;
    }
    std::vector<TemperaturePair> pairs(std::size_t max, bool codes) {
        std::vector<TemperaturePair> p(count(max));
        for (auto& t : p) {
            const auto code = static_cast<std::int32_t>(rng() % 20000000) - (rng() % 10 == 0 ? 30000000 : 0);
            t = {value(false), codes ? std::bit_cast<float>(code) : value()};
        }
        SortPairsByValue(p);  // as the tool keeps them; a NaN value comes after the sort
        if (!p.empty() && rng() % 16 == 0) p[rng() % p.size()].value = std::numeric_limits<float>::quiet_NaN();
        return p;
    }
};

bool SameBits(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

void ExpectEqualList(const CalibrationSet& a, const CalibrationSet& b, CalibrationList list) {
    switch (list) {
        case CalibrationList::Segments:
            ASSERT_EQ(a.segmentTable.size(), b.segmentTable.size());
            for (std::size_t i = 0; i < a.segmentTable.size(); ++i) {
                EXPECT_EQ(a.segmentTable[i].startCode, b.segmentTable[i].startCode) << i;
                EXPECT_TRUE(SameBits(a.segmentTable[i].startValue, b.segmentTable[i].startValue)) << i;
                EXPECT_TRUE(SameBits(a.segmentTable[i].slope, b.segmentTable[i].slope)) << i;
            }
            break;
        case CalibrationList::CodePoints:
            ASSERT_EQ(a.codePoints.size(), b.codePoints.size());
            for (std::size_t i = 0; i < a.codePoints.size(); ++i) {
                EXPECT_EQ(a.codePoints[i].code, b.codePoints[i].code) << i;
                EXPECT_TRUE(SameBits(a.codePoints[i].value, b.codePoints[i].value)) << i;
            }
            break;
        case CalibrationList::TemperaturePairs:
            ASSERT_EQ(a.temperaturePairs.size(), b.temperaturePairs.size());
            EXPECT_EQ(a.readingsAreCodes, b.readingsAreCodes);
            for (std::size_t i = 0; i < a.temperaturePairs.size(); ++i) {
                EXPECT_TRUE(SameBits(a.temperaturePairs[i].value, b.temperaturePairs[i].value)) << i;
                EXPECT_TRUE(SameBits(a.temperaturePairs[i].sensorReading, b.temperaturePairs[i].sensorReading)) << i;
            }
            break;
    }
    EXPECT_EQ(a.calibrationHasSensorId, b.calibrationHasSensorId);
    if (a.calibrationHasSensorId) {
        EXPECT_EQ(a.calibrationSensorId, b.calibrationSensorId);
    }
}

// Every device form × every file form: what a save reports as written loads
// back equal on the same device; what it refuses it says, and the old file stays.
TEST(CalibrationFileRoundTrip, WhatSavesLoadsBackEqualAndWhatCannotSaveSaysSo) {
    TempFolder dir;
    const std::string path = dir.file("round.clb");
    const std::string old = "[Notes]\r\nwho=bench 3\r\n";
    struct FileForm {
        const char* name;
        CalibrationList list;
        bool codes;
    } files[] = {{"binary segments", CalibrationList::Segments, false},
                 {"INI code points", CalibrationList::CodePoints, false},
                 {"INI float pairs", CalibrationList::TemperaturePairs, false},
                 {"INI code pairs", CalibrationList::TemperaturePairs, true}};
    int written = 0, refused = 0;
    for (const DeviceForm& device : kDevices) {
        for (const FileForm& file : files) {
            ListMaker make{std::mt19937(device.software * 16u + static_cast<unsigned>(file.list) * 2u + file.codes)};
            for (int round = 0; round < 24; ++round) {
                SCOPED_TRACE(std::string(device.name) + " / " + file.name + " / round " + std::to_string(round));
                SimBench b("rev6");
                auto& id = b.state.identity;
                id.softwareRevision = device.software;
                id.calibrationPointCount = device.points;
                id.extendedCalibration = device.extended;
                const std::size_t max = device.software == 255 ? 24 : static_cast<std::size_t>(device.points);
                CalibrationSet& set = b.state.calibration;
                switch (file.list) {
                    case CalibrationList::Segments:
                        // Mostly a whole table for this device.
                        set.segmentTable = make.segments(max - 1);
                        if (round % 3 == 0) set.segmentTable.resize(max - 1, {1, 2.0f, 3.0f});
                        break;
                    case CalibrationList::CodePoints: set.codePoints = make.codePoints(max); break;
                    case CalibrationList::TemperaturePairs:
                        set.temperaturePairs = make.pairs(max, file.codes);
                        set.readingsAreCodes = file.codes;
                        break;
                }
                set.calibrationHasSensorId = file.list != CalibrationList::Segments && round % 2 == 1;
                // A disabled calibration, and the extra point a segment device keeps beside its table.
                set.calibrationEnabled = round % 4 == 2 ? 0 : 1;
                set.extraPoint = {round % 4 == 1, 61000, 260.5f};
                set.calibrationSensorId = {1, 2, 3, 4, 5, 6, 7, static_cast<std::uint8_t>(round)};
                const CalibrationSet saved = set;
                std::ofstream(path, std::ios::binary | std::ios::trunc) << old;
                b.ui.onDialog<CalibrationFileDialog>([&](CalibrationFileDialog& d) {
                    d.fileName = path;
                    return true;
                });
                const bool ok = SaveCalibrationFile(b.state, b.state.calibration, file.list, "");
                if (!ok) {
                    ++refused;
                    EXPECT_FALSE(b.ui.messages.empty()) << "a refusal says why";
                    EXPECT_EQ(ReadFile(path), old);
                    continue;
                }
                ++written;
                // The binary file has no place for the extra point, and the save says so.
                const bool extraPointTold = std::any_of(b.ui.messages.begin(), b.ui.messages.end(), [](const auto& m) {
                    return m.text.find("Добавочная точка (Код: 61000") != std::string::npos &&
                           m.text.find("в файл не записана") != std::string::npos;
                });
                EXPECT_EQ(extraPointTold, file.list == CalibrationList::Segments && saved.extraPoint.present);
                b.ui.clearRecord();
                b.ui.onDialog<CalibrationFileDialog>([&](CalibrationFileDialog& d) {
                    d.fileName = path;
                    return true;
                });
                ASSERT_TRUE(LoadCalibrationFile(b.state, b.state.calibration)) << ::testing::PrintToString(b.ui.messageTexts());
                ExpectEqualList(saved, b.state.calibration, file.list);
                EXPECT_FALSE(b.state.calibration.extraPoint.present) << "no file carries an extra point";
                if (file.list == CalibrationList::TemperaturePairs) {
                    EXPECT_EQ(b.state.calibration.calibrationEnabled, saved.calibrationEnabled);
                    // An enabled calibration's file stays as files have always been.
                    EXPECT_EQ(ReadFile(path).find("ClbEnabled") == std::string::npos, saved.calibrationEnabled != 0);
                }
            }
        }
    }
    // Both outcomes are exercised in earnest.
    EXPECT_GT(written, 90) << refused;
    EXPECT_GT(refused, 60) << written;
}

}  // namespace
}  // namespace quillon
