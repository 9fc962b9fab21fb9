#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "link/posix/marked_stream.h"

namespace quillon {
namespace {

// Decoded output written as text: "41" a byte, "!41" a damaged one.
std::string Show(const std::vector<ReceivedByte>& bytes) {
    std::string text;
    char item[8];
    for (const auto& b : bytes) {
        snprintf(item, sizeof item, "%s%02X ", b.damaged ? "!" : "", b.value);
        text += item;
    }
    return text;
}

std::string Decode(const std::vector<std::vector<std::uint8_t>>& reads) {
    MarkedStreamDecoder decoder;
    std::vector<ReceivedByte> out;
    for (const auto& chunk : reads) decoder.feed(chunk.data(), chunk.size(), out);
    return Show(out);
}

TEST(PosixMarkedStream, DecodesMarksAndEscapes) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> stream;
        std::string expected;
    } cases[] = {
        {"plain bytes", {0x06, 0x80, 0x00}, "06 80 00 "},
        {"escaped 0xFF", {0x06, 0xFF, 0xFF, 0x07}, "06 FF 07 "},
        {"preambles", {0xFF, 0xFF, 0xFF, 0xFF, 0x86}, "FF FF 86 "},
        {"damaged byte", {0x06, 0xFF, 0x00, 0x41, 0x07}, "06 !41 07 "},
        {"damaged zero (a break)", {0xFF, 0x00, 0x00}, "!00 "},
        {"damaged 0xFF is not an escape", {0xFF, 0x00, 0xFF, 0x07}, "!FF 07 "},
        {"two marks in a row", {0xFF, 0x00, 0x01, 0xFF, 0x00, 0x02}, "!01 !02 "},
        {"a lone 0xFF before other data keeps both", {0xFF, 0x41}, "FF 41 "},
        {"an unfinished mark yields nothing yet", {0x06, 0xFF, 0x00}, "06 "},
    };
    for (const auto& c : cases) EXPECT_EQ(Decode({c.stream}), c.expected) << c.what;
}

TEST(PosixMarkedStream, MarkSplitAtAnyPointDecodesAsWhole) {
    const std::vector<std::uint8_t> stream{0x01, 0xFF, 0x00, 0x41, 0xFF, 0xFF, 0x02};
    const std::string whole = Decode({stream});
    ASSERT_EQ(whole, "01 !41 FF 02 ");
    for (std::size_t first = 0; first <= stream.size(); ++first) {
        for (std::size_t second = first; second <= stream.size(); ++second) {
            const std::vector<std::uint8_t> a(stream.begin(), stream.begin() + first);
            const std::vector<std::uint8_t> b(stream.begin() + first, stream.begin() + second);
            const std::vector<std::uint8_t> c(stream.begin() + second, stream.end());
            EXPECT_EQ(Decode({a, b, c}), whole) << "split at " << first << " and " << second;
        }
    }
}

TEST(PosixMarkedStream, ResetForgetsAHalfSeenMark) {
    MarkedStreamDecoder decoder;
    std::vector<ReceivedByte> out;
    const std::uint8_t half[] = {0xFF, 0x00};
    decoder.feed(half, sizeof half, out);
    decoder.reset();
    const std::uint8_t next[] = {0x41};
    decoder.feed(next, sizeof next, out);
    EXPECT_EQ(Show(out), "41 ");
}

}  // namespace
}  // namespace quillon
