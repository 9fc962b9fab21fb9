#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/crc16.h"

namespace quillon {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(Crc16Modbus, PublishedCheckValues) {
    auto text = Bytes("123456789");
    EXPECT_EQ(Crc16Modbus(text.data(), text.size()), 0x4B37);
    text.resize(11);
    AppendCrc(text.data(), 9);
    EXPECT_EQ(text[9], 0x37);
    EXPECT_EQ(text[10], 0x4B);

    // A Modbus "read holding registers" request as it appears on the wire.
    std::vector<std::uint8_t> request{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0, 0};
    AppendCrc(request.data(), 6);
    EXPECT_EQ(request[6], 0xC5);
    EXPECT_EQ(request[7], 0xCD);
    EXPECT_EQ(Crc16Modbus(nullptr, 0), 0xFFFF);
}

TEST(CrcResidueCheck, DataWithItsOwnCrcLeavesNoResidueAndAnyChangeShows) {
    std::vector<std::uint8_t> frame(18);
    for (std::size_t i = 0; i < 16; ++i) frame[i] = static_cast<std::uint8_t>(i * 37 + 11);
    AppendCrc(frame.data(), 16);
    EXPECT_TRUE(CrcResidueCheck(frame.data(), frame.size()));
    for (std::size_t i = 0; i < frame.size(); ++i) {
        for (std::uint8_t flip : {0x01, 0x80, 0xFF}) {
            auto changed = frame;
            changed[i] ^= flip;
            EXPECT_FALSE(CrcResidueCheck(changed.data(), changed.size())) << "byte " << i << " flip " << int{flip};
        }
    }
}

TEST(VerifyOrStoreCrc, ChecksOrFillsTheCrcThatTheLengthBytePointsAt) {
    // 0x66, address, length 9, four header/data bytes, then the CRC.
    const std::vector<std::uint8_t> valid{0x66, 0x05, 0x09, 0x0B, 0x04, 0x00, 0x00, 0x82, 0xB7};
    auto frame = valid;
    EXPECT_TRUE(VerifyOrStoreCrc(frame.data(), frame.size()));
    EXPECT_EQ(frame, valid);

    frame[7] = 0;
    frame[8] = 0;
    EXPECT_FALSE(VerifyOrStoreCrc(frame.data(), frame.size()));
    EXPECT_EQ(frame, valid) << "a wrong CRC is replaced by the right one";

    // Bytes after the frame's own length are not part of it.
    auto longer = valid;
    longer.insert(longer.end(), {0xAA, 0xBB});
    EXPECT_TRUE(VerifyOrStoreCrc(longer.data(), longer.size()));
}

TEST(VerifyOrStoreCrc, ImpossibleLengthBytesAreRejectedWithoutWriting) {
    struct Case {
        std::uint8_t length;
        std::size_t capacity;
    } cases[] = {{0, 9}, {1, 9}, {2, 9}, {3, 9}, {4, 9}, {10, 9}, {255, 9}, {5, 4}};
    for (const auto& c : cases) {
        // Exactly `capacity` bytes on the heap, so a write past them is caught.
        std::vector<std::uint8_t> frame(c.capacity, 0x5A);
        if (c.capacity > 2) frame[2] = c.length;
        const auto before = frame;
        EXPECT_FALSE(VerifyOrStoreCrc(frame.data(), frame.size())) << int{c.length};
        EXPECT_EQ(frame, before) << int{c.length};
    }
}

}  // namespace
}  // namespace quillon
