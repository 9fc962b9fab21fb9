#include <gtest/gtest.h>

#include <cstdint>

#include "link/link_bench.h"

namespace quillon::testing {
namespace {

constexpr std::int64_t kMs = 1000;  // virtual clock runs in microseconds
// The millisecond tick is 32 bits wide: it wraps after 2^32 ms, about 49.7 days.
constexpr std::int64_t kWrapUs = (std::int64_t{1} << 32) * kMs;

std::vector<std::uint8_t> ShortAnswer() { return WithCheckByte({0x06, 0x01, 0x00, 0x02, 0x00, 0x00}); }

// Waits that straddle the wrap of the tick last exactly as long as anywhere
// else: a plain "now > start + wait" would end them at once or never.
TEST(TickWrap, AnswerWaitsAcrossTheWrapKeepTheirLength) {
    struct Case {
        std::int64_t startBeforeWrapMs;
        std::int64_t firstByteAfterMs;  // < 0: no answer at all
        std::size_t expected;
    } cases[] = {
        {500, 999, 7}, {500, 1000, 7}, {500, 1002, 0}, {1, 999, 7}, {1000, 600, 7}, {500, -1, 0},
    };
    for (const auto& c : cases) {
        LinkBench b;
        const std::int64_t start = kWrapUs - c.startBeforeWrapMs * kMs;
        b.clock.setNowUs(start);
        b.s.filter.startByte = 0x06;
        b.s.filter.expectedShortAddress = 1;
        if (c.firstByteAfterMs >= 0) b.line.scheduleBytes(start + c.firstByteAfterMs * kMs, ShortAnswer());
        const auto where = ::testing::Message()
                           << c.startBeforeWrapMs << " ms before the wrap, answer at " << c.firstByteAfterMs;
        EXPECT_EQ(ReceiveAnswer(b.s, 1000, 300, 0x06), c.expected) << where;
        if (c.expected == 0) {
            // Gave up once the first-byte wait was over, not before and not much later.
            EXPECT_GT(b.clock.nowUs() - start, 1000 * kMs) << where;
            EXPECT_LT(b.clock.nowUs() - start, 1100 * kMs) << where;
        }
    }
}

TEST(TickWrap, PausesAcrossTheWrapKeepTheirLength) {
    for (std::int64_t beforeWrapMs : {1, 30, 59, 60}) {
        LinkBench b;
        b.s.settings.hartSpeedIndex = 2;
        b.clock.setNowUs(kWrapUs - beforeWrapMs * kMs);
        InterExchangePause(b.s);
        EXPECT_EQ(b.clock.nowUs() - (kWrapUs - beforeWrapMs * kMs), 60 * kMs) << beforeWrapMs;
    }
}

}  // namespace
}  // namespace quillon::testing
