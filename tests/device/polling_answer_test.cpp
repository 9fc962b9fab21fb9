#include <gtest/gtest.h>

#include <vector>

#include "device/polling_answer.h"
#include "link/frame_codec.h"

namespace quillon {
namespace {

// A long answer as the receiver leaves it: byte count M = data + 2.
ExchangeBuffer Answer(std::uint8_t code, std::uint8_t status, const std::vector<std::uint8_t>& data) {
    ExchangeBuffer b;
    std::vector<std::uint8_t> f{0x86, 0x26, 0x0F, 0, 0, 1, 3, static_cast<std::uint8_t>(data.size() + 2), code, status};
    f.insert(f.end(), data.begin(), data.end());
    f.push_back(XorOf(f.data(), f.size()));
    std::copy(f.begin(), f.end(), b.response.begin());
    b.responseCount = static_cast<std::uint8_t>(f.size());
    return b;
}

void PutU32(std::vector<std::uint8_t>& d, std::uint32_t bits) {
    for (int i = 3; i >= 0; --i) d.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

void Put(std::vector<std::uint8_t>& d, std::uint8_t unit, std::uint32_t bits) {
    d.push_back(unit);
    PutU32(d, bits);
}

// Loop current then `n` variables with units 32, 33, ... and values 1, 2, ...
std::vector<std::uint8_t> Command3Data(int n) {
    std::vector<std::uint8_t> d;
    PutU32(d, 0x41400000);  // 12.0 mA
    for (int k = 0; k < n; ++k)
        Put(d, static_cast<std::uint8_t>(32 + k), 0x3F800000u + (static_cast<std::uint32_t>(k) << 23));
    return d;
}

TEST(PollAnswer, Command3AcceptsTwoToFourVariables) {
    struct Case {
        int variables;
        bool accepted;
    } cases[] = {{1, false}, {2, true}, {3, true}, {4, true}, {5, false}};
    for (const auto& c : cases) {
        const auto r = ReadPollAnswer(Answer(0, 0, Command3Data(c.variables)), PollRequest::Command3);
        ASSERT_EQ(r.has_value(), c.accepted) << c.variables;
        if (!r) continue;
        EXPECT_EQ(*r->auxiliaryBits, 0x41400000u);
        EXPECT_EQ(r->primary.unit, 32);
        EXPECT_EQ(r->primary.bits, 0x3F800000u);
        ASSERT_EQ(r->furtherCount, c.variables - 1);
        for (int k = 0; k < r->furtherCount; ++k) {
            EXPECT_EQ(r->further[k].unit, 33 + k);
            EXPECT_EQ(r->further[k].bits, 0x3F800000u + (static_cast<std::uint32_t>(k + 1) << 23));
        }
    }
}

TEST(PollAnswer, ByteCountMustFitTheRequest) {
    auto data = Command3Data(2);
    data.push_back(0);  // byte count 17: not whole variables
    EXPECT_FALSE(ReadPollAnswer(Answer(0, 0, data), PollRequest::Command3));

    std::vector<std::uint8_t> one;
    Put(one, 39, 0x41A00000);
    const auto r1 = ReadPollAnswer(Answer(0, 0, one), PollRequest::Command1);
    ASSERT_TRUE(r1);
    EXPECT_EQ(r1->primary.unit, 39);
    EXPECT_EQ(r1->primary.bits, 0x41A00000u);
    EXPECT_FALSE(r1->auxiliaryBits);
    one.push_back(0);
    EXPECT_FALSE(ReadPollAnswer(Answer(0, 0, one), PollRequest::Command1));

    std::vector<std::uint8_t> period;
    PutU32(period, 0x447A0000);  // 1000 us
    PutU32(period, 0x3F800000);
    const auto rp = ReadPollAnswer(Answer(0, 0, period), PollRequest::Period);
    ASSERT_TRUE(rp);
    EXPECT_EQ(*rp->auxiliaryBits, 0x447A0000u);
    EXPECT_EQ(rp->primary.unit, 32);  // the period output reports no unit of its own
    EXPECT_EQ(rp->primary.bits, 0x3F800000u);
    EXPECT_FALSE(ReadPollAnswer(Answer(0, 0, period), PollRequest::Command1));
}

TEST(PollAnswer, BytesBeyondWhatWasReceivedAreNeverRead) {
    // A byte count promising more than arrived (or more than the buffer holds).
    auto b = Answer(0, 0, Command3Data(4));
    b.responseCount = 20;
    EXPECT_FALSE(ReadPollAnswer(b, PollRequest::Command3));
    EXPECT_FALSE(ReadExtendedAnswer(b));
    EXPECT_EQ(PollResponseCode(b), 0);

    auto huge = Answer(0x40, 0x48, Command3Data(4));
    huge.response[7] = 255;
    huge.responseCount = 200;
    EXPECT_FALSE(ReadPollAnswer(huge, PollRequest::Command3));
    EXPECT_EQ(PollResponseCode(huge), 0);
    EXPECT_EQ(PollDeviceStatus(huge), 0);

    const auto noStatus = Answer(0, 0, {});
    auto empty = noStatus;
    empty.response[7] = 0;
    empty.responseCount = 9;
    EXPECT_EQ(PollResponseCode(empty), 0);
}

TEST(PollAnswer, ExtendedNeedsCodeZeroAndByteCount26) {
    const auto good = ReadExtendedAnswer(Answer(0, 0x40, Command3Data(4)));
    ASSERT_TRUE(good);
    EXPECT_EQ((*good)[0], 0x3F800000u);
    EXPECT_EQ((*good)[3], 0x3F800000u + (3u << 23));
    EXPECT_FALSE(ReadExtendedAnswer(Answer(8, 0, Command3Data(4))));
    EXPECT_FALSE(ReadExtendedAnswer(Answer(0, 0, Command3Data(3))));
}

}  // namespace
}  // namespace quillon
