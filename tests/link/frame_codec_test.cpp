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

namespace quillon {
namespace {

const std::array<std::uint8_t, 5> kLong{0x26, 0x0F, 0x09, 0x29, 0x64};

AnswerFilter ShortFilterFor(std::uint8_t shortAddress, std::uint8_t command = 0) {
    ExchangeBuffer b;
    BuildShortRequest(b, command);
    FinishRequest(b, shortAddress, kLong, 1);
    return PrepareAnswerFilter(b);
}

AnswerFilter LongFilterFor(std::uint8_t command, std::initializer_list<std::uint8_t> data = {}) {
    ExchangeBuffer b;
    BuildLongRequest(b, command, data);
    FinishRequest(b, 1, kLong, 1);
    return PrepareAnswerFilter(b);
}

// Feeds a frame byte by byte through the address filter, as the receiver does.
bool Passes(const AnswerFilter& f, std::vector<std::uint8_t> frame) {
    for (std::size_t count = 1; count <= frame.size(); ++count)
        if (!AnswerAddressAccepted(f, frame.data(), count)) return false;
    return true;
}

TEST(FinishRequest, ShortFrameCarriesTheMasterBitInItsAddress) {
    ExchangeBuffer b;
    BuildShortRequest(b, 0);
    ASSERT_EQ(FinishRequest(b, 3, kLong, 1), 5u);
    EXPECT_EQ(b.request[1], 0x83);
    EXPECT_EQ(b.request[4], 0x02 ^ 0x83 ^ 0x00 ^ 0x00);
    ASSERT_EQ(FinishRequest(b, 3, kLong, 0), 5u);
    EXPECT_EQ(b.request[1], 0x03);
}

TEST(FinishRequest, OverwritesWhateverTheCallerLeftInTheAddress) {
    ExchangeBuffer b;
    BuildLongRequest(b, 3);
    b.request[1] = 0xEE;
    b.request[5] = 0xEE;
    FinishRequest(b, 1, kLong, 0);
    EXPECT_EQ(b.request[1], 0x26);
    EXPECT_EQ(b.request[5], 0x64);
}

TEST(FinishRequest, RefusesUnknownDelimiters) {
    for (std::uint8_t delimiter : {0x00, 0x06, 0x86, 0xFF, 0x03}) {
        ExchangeBuffer b;
        b.request[0] = delimiter;
        EXPECT_EQ(FinishRequest(b, 1, kLong, 0), 0u) << int(delimiter);
    }
}

TEST(AnswerFilter, ShortAddressCheck) {
    struct Case {
        std::uint8_t shortAddress;
        std::uint8_t command;
        std::uint8_t answerAddress;
        bool passes;
    } cases[] = {
        {3, 0, 0x03, true},  {3, 0, 0x83, true},  {3, 0, 0xC3, true},  {3, 0, 0xE3, true},   {3, 0, 0x04, false},
        {3, 0, 0x13, false}, {16, 0, 0x07, true}, {16, 0, 0x9F, true}, {3, 119, 0x05, true},  // the device may already
                                                                                              // answer under its new
                                                                                              // address
    };
    for (const auto& c : cases) {
        const auto f = ShortFilterFor(c.shortAddress, c.command);
        EXPECT_EQ(f.startByte, 0x06);
        EXPECT_EQ(Passes(f, {0x06, c.answerAddress, c.command, 0x02, 0x00, 0x00}), c.passes)
            << int(c.shortAddress) << " " << int(c.answerAddress);
    }
}

TEST(AnswerFilter, LongAddressCheck) {
    struct Case {
        const char* name;
        AnswerFilter filter;
        std::vector<std::uint8_t> address;
        bool passes;
    } cases[] = {
        {"same", LongFilterFor(3), {0x26, 0x0F, 0x09, 0x29, 0x64}, true},
        {"master bit differs", LongFilterFor(3), {0xA6, 0x0F, 0x09, 0x29, 0x64}, true},
        {"burst bit differs", LongFilterFor(3), {0x66, 0x0F, 0x09, 0x29, 0x64}, false},
        {"device id differs", LongFilterFor(3), {0x26, 0x0F, 0x09, 0x29, 0x65}, false},
        {"command 19 skips bytes 2-5", LongFilterFor(19, {1, 2, 3}), {0x26, 0x0F, 0x01, 0x02, 0x03}, true},
        {"command 19 still checks byte 1", LongFilterFor(19, {1, 2, 3}), {0x27, 0x0F, 0x01, 0x02, 0x03}, false},
        {"command 192 with 1 skips", LongFilterFor(192, {1}), {0x26, 0x0F, 0x01, 0x02, 0x03}, true},
        {"command 192 with 2 checks", LongFilterFor(192, {2}), {0x26, 0x0F, 0x01, 0x02, 0x03}, false},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> frame{0x86};
        frame.insert(frame.end(), c.address.begin(), c.address.end());
        frame.insert(frame.end(), {0x03, 0x02, 0x00, 0x00});
        EXPECT_EQ(Passes(c.filter, frame), c.passes) << c.name;
    }
}

TEST(CompleteAnswerLength, AnExtraByteIsNotPartOfTheAnswer) {
    const std::uint8_t shortAnswer[] = {0x06, 0x01, 0x00, 0x02, 0x00, 0x00, 0x05, 0x99};
    EXPECT_EQ(CompleteAnswerLength(0x06, shortAnswer, 6), 0u);
    EXPECT_EQ(CompleteAnswerLength(0x06, shortAnswer, 7), 7u);
    EXPECT_EQ(CompleteAnswerLength(0x06, shortAnswer, 8), 7u);
    const std::uint8_t longAnswer[] = {0x86, 0x26, 0x0F, 0x09, 0x29, 0x64, 0x03, 0x00};
    EXPECT_EQ(CompleteAnswerLength(0x86, longAnswer, 7), 0u);
    EXPECT_EQ(CompleteAnswerLength(0x86, longAnswer, 8), 0u);  // 9 bytes needed
}

TEST(CheckAnswer, Results) {
    // 06 01 00 02 00 00 | 05: a short answer with its check byte.
    const std::uint8_t good[] = {0x06, 0x01, 0x00, 0x02, 0x00, 0x00, 0x05, 0x77};
    const std::uint8_t badCheck[] = {0x06, 0x01, 0x00, 0x02, 0x00, 0x00, 0x04};
    const std::uint8_t longGood[] = {0x86, 0xA6, 0x0F, 0x09, 0x29, 0x64, 0x01, 0x02, 0x00, 0x00, 0x68};
    struct Case {
        const char* name;
        std::size_t count;
        const std::uint8_t* frame;
        int expected;
    } cases[] = {
        {"nothing", 0, good, 1},
        {"three bytes", 3, good, 2},
        {"complete", 7, good, 0},
        {"extra byte ignored", 8, good, 0},
        {"one short", 6, good, 2},
        {"wrong check byte", 7, badCheck, 2},
        {"long complete", 11, longGood, 0},
        {"long seven bytes", 7, longGood, 2},
        {"request delimiter", 7, (const std::uint8_t*)"\x02\x01\x00\x02\x00\x00\x01", 2},
    };
    for (const auto& c : cases) EXPECT_EQ(CheckAnswer(c.count, c.frame), c.expected) << c.name;
}

}  // namespace
}  // namespace quillon
