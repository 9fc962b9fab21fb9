#include <gtest/gtest.h>

#include <vector>

#include "link/frame_codec.h"

namespace quillon {
namespace {

std::vector<std::uint8_t> Frame(const ExchangeBuffer& b, std::size_t n) {
    return {b.request.begin(), b.request.begin() + static_cast<std::ptrdiff_t>(n)};
}

TEST(FinishRequest, LongCommandOneWithAndWithoutMasterBit) {
    const std::array<std::uint8_t, 5> longAddress{0x26, 0x0F, 0x09, 0x29, 0x64};
    struct Case {
        int master;
        std::vector<std::uint8_t> expected;
    } cases[] = {
        {1, {0x82, 0xA6, 0x0F, 0x09, 0x29, 0x64, 0x01, 0x00, 0x6E}},
        {0, {0x82, 0x26, 0x0F, 0x09, 0x29, 0x64, 0x01, 0x00, 0xEE}},
    };
    for (const auto& c : cases) {
        ExchangeBuffer b;
        BuildLongRequest(b, 0x01);
        ASSERT_EQ(FinishRequest(b, 1, longAddress, c.master), 9u);
        EXPECT_EQ(Frame(b, 9), c.expected) << "master " << c.master;
    }
}

}  // namespace
}  // namespace quillon
