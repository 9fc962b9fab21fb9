#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "calibration/calibration_set.h"
#include "device/parameter_access.h"

namespace quillon {
namespace {

TEST(CalibrationChecks, WorkedExamples) {
    const std::uint8_t abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(IdCrc8(abc, 3), 0xA9);
    EXPECT_EQ(IdCrc8(abc, 0), 0x00);
    // The standard check value of this CRC-8 (polynomial 0x31, no reflection): "123456789" -> 0xA2.
    EXPECT_EQ(IdCrc8(reinterpret_cast<const std::uint8_t*>("123456789"), 9), 0xA2);
    const std::uint8_t oneTwo[] = {0x01, 0x02};
    EXPECT_EQ(XorCheck(oneTwo, 2), 0x4E);
}

TEST(SegmentsFromPoints, SlopesFirstSegmentFromZeroAndPadding) {
    CalibrationSet set;
    set.codePoints = {{1000, 10.0f, 0}, {2000, 20.0f, 0}, {4000, 30.0f, 0}};
    ASSERT_TRUE(SegmentsFromPoints(set, 8));
    ASSERT_EQ(set.segmentTable.size(), 7u);
    EXPECT_EQ(set.segmentTable[0].startCode, 0u);
    EXPECT_FLOAT_EQ(set.segmentTable[0].slope, 0.01f);
    EXPECT_NEAR(set.segmentTable[0].startValue, 0.0f, 1e-6f);  // 10 - 1000 * 0.01
    EXPECT_EQ(set.segmentTable[1].startCode, 2000u);
    EXPECT_FLOAT_EQ(set.segmentTable[1].startValue, 20.0f);
    EXPECT_FLOAT_EQ(set.segmentTable[1].slope, 0.005f);
    for (std::size_t i = 2; i < 7; ++i) {
        EXPECT_EQ(set.segmentTable[i].startCode, 2000u) << i;
        EXPECT_FLOAT_EQ(set.segmentTable[i].slope, 0.005f) << i;
    }
    EXPECT_FLOAT_EQ(set.codePoints[0].slope, 0.01f);
    EXPECT_FLOAT_EQ(set.codePoints[1].slope, 0.005f);
    EXPECT_FLOAT_EQ(set.codePoints[2].slope, 0.0f) << "the last point has no next one";
}

TEST(SegmentsFromPoints, EqualNeighbouringCodesChangeNothing) {
    CalibrationSet set;
    set.codePoints = {{1000, 10.0f, 0}, {1000, 20.0f, 0}};
    set.segmentTable = {{5, 1.0f, 2.0f}};
    EXPECT_FALSE(SegmentsFromPoints(set, 8));
    ASSERT_EQ(set.segmentTable.size(), 1u);
    EXPECT_EQ(set.segmentTable[0].startCode, 5u);
}

// Past the single range the table holds an infinity of the right sign, never a clamped or wrapped
// number that a send would pass as finite.
TEST(SegmentsFromPoints, ExtrapolationPastTheSingleRangeBecomesAnInfinity) {
    CalibrationSet set;
    set.codePoints = {{16000000, -3e38f, 0}, {16000001, 3e38f, 0}};
    ASSERT_TRUE(SegmentsFromPoints(set, 2));
    ASSERT_EQ(set.segmentTable.size(), 1u);
    EXPECT_TRUE(std::isinf(set.segmentTable[0].slope) && set.segmentTable[0].slope > 0);
    EXPECT_TRUE(std::isinf(set.segmentTable[0].startValue) && set.segmentTable[0].startValue < 0);

    set.codePoints = {{10, 3e38f, 0}, {100, -3e38f, 0}};  // the slope fits, the start at code 0 does not
    ASSERT_TRUE(SegmentsFromPoints(set, 2));
    EXPECT_TRUE(std::isfinite(set.segmentTable[0].slope));
    EXPECT_TRUE(std::isinf(set.segmentTable[0].startValue) && set.segmentTable[0].startValue > 0);
}

TEST(PointsFromSegments, OneMorePointTenUnitsBeyondTheLastSegment) {
    CalibrationSet set;
    set.segmentTable = {{0, 0.0f, 0.01f}, {2000, 20.0f, 0.005f}};
    for (int i = 0; i < 5; ++i) set.segmentTable.push_back(set.segmentTable.back());
    ASSERT_TRUE(PointsFromSegments(set));
    ASSERT_EQ(set.codePoints.size(), 8u);
    EXPECT_EQ(set.codePoints[7].code, 4000u);  // 10 / 0.005 + 2000
    EXPECT_FLOAT_EQ(set.codePoints[7].value, 30.0f);
    EXPECT_FLOAT_EQ(set.codePoints[7].slope, 0.005f);
    EXPECT_EQ(set.codePoints[1].code, 2000u);
}

TEST(PointsFromSegments, RefusesWhatCannotBePlaced) {
    const CalibrationSegment cases[] = {{100, 1.0f, 0.0f}, {100, 1.0f, -0.0000001f}, {4294967000u, 1.0f, 0.001f}};
    for (const auto& last : cases) {
        CalibrationSet set;
        set.segmentTable = {last};
        set.codePoints = {{7, 7.0f, 0}};
        EXPECT_FALSE(PointsFromSegments(set));
        ASSERT_EQ(set.codePoints.size(), 1u);
    }
    CalibrationSet empty;
    EXPECT_FALSE(PointsFromSegments(empty));
}

}  // namespace
}  // namespace quillon
