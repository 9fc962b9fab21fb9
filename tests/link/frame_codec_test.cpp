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
        {"burst bit set by the device", LongFilterFor(3), {0x66, 0x0F, 0x09, 0x29, 0x64}, true},
        {"burst and master bits set", LongFilterFor(3), {0xE6, 0x0F, 0x09, 0x29, 0x64}, true},
        {"an address bit differs", LongFilterFor(3), {0x27, 0x0F, 0x09, 0x29, 0x64}, false},
        {"the top address bit differs", LongFilterFor(3), {0x06, 0x0F, 0x09, 0x29, 0x64}, false},
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

using Bytes = std::vector<std::uint8_t>;

ExchangeBuffer WithRequest(const Bytes& request) {
    ExchangeBuffer b;
    std::copy(request.begin(), request.end(), b.request.begin());
    return b;
}

// The long address a device's command 0 answer teaches, and the requests and
// answers that follow, written out byte by byte from the HART frame rules
// (check byte: XOR of every byte before it). Only the master bit (0x80) and
// the burst-mode bit (0x40) of the first address byte are the sender's own;
// every other address bit must match.
TEST(AddressBits, TheLongAddressKeepsSixBitsAndAnAnswerIsJudgedOnThemAlone) {
    // A device of maker F9h, device type 9Ch, id 00 12 34, universal revision 7:
    // 254, expanded device type F9 9C, preambles 5, revision 7, device 1,
    // software 2, hardware 1, flags 0, id 00 12 34, then the fields of revision 7.
    const Bytes identity{0xFE, 0xF9, 0x9C, 0x05, 0x07, 0x01, 0x02, 0x01, 0x00, 0x00, 0x12,
                         0x34, 0x05, 0x02, 0x00, 0x01, 0x00, 0x00, 0xF9, 0x00, 0xF9, 0x01};
    const auto address = LongAddressFromIdentity(identity.data());
    EXPECT_EQ(address, (std::array<std::uint8_t, 5>{0x39, 0x9C, 0x00, 0x12, 0x34}));
    // This maker's first byte, 26h, has nothing above the six bits to lose.
    const Bytes ownIdentity{0xFE, 0x26, 0x1E, 0x05, 0x05, 0x00, 0x0E, 0x20, 0x00, 0x01, 0x20, 0x20};
    EXPECT_EQ(LongAddressFromIdentity(ownIdentity.data()), (std::array<std::uint8_t, 5>{0x26, 0x1E, 0x01, 0x20, 0x20}));

    // Command 1, no data, primary master:
    // 82 ^ B9 ^ 9C ^ 00 ^ 12 ^ 34 ^ 01 ^ 00: 3B A7 A7 B5 81 80 80 -> check byte 80.
    const Bytes request{0x82, 0xB9, 0x9C, 0x00, 0x12, 0x34, 0x01, 0x00, 0x80};
    ExchangeBuffer built;
    BuildLongRequest(built, 1);
    ASSERT_EQ(FinishRequest(built, 0, address, 1), request.size());
    EXPECT_EQ(Bytes(built.request.begin(), built.request.begin() + 9), request);
    // Whatever a long address learned elsewhere holds, a request never carries the burst-mode bit.
    ASSERT_EQ(FinishRequest(built, 0, {0xF9, 0x9C, 0x00, 0x12, 0x34}, 1), request.size());
    EXPECT_EQ(Bytes(built.request.begin(), built.request.begin() + 9), request);

    // The answer: status 00 00, unit 4B (kg/h), 1250.0 as 44 9C 40 00:
    // 86 ^ B9 ^ 9C ^ 00 ^ 12 ^ 34 ^ 01 ^ 07 ^ 00 ^ 00 ^ 4B ^ 44 ^ 9C ^ 40 ^ 00
    // = 3F A3 A3 B1 85 84 83 83 83 C8 8C 10 50 50 -> check byte 50.
    // Changing one byte x to y changes the check byte by x ^ y.
    struct Case {
        const char* name;
        Bytes answer;
        AnswerRefusal refusal;
    } cases[] = {
        {"as asked", {0x86, 0xB9, 0x9C, 0x00, 0x12, 0x34, 0x01, 0x07, 0x00, 0x00, 0x4B, 0x44, 0x9C, 0x40, 0x00, 0x50},
         AnswerRefusal::None},
        // B9 -> F9: check byte 50 ^ 40 = 10.
        {"burst-mode bit set", {0x86, 0xF9, 0x9C, 0x00, 0x12, 0x34, 0x01, 0x07, 0x00, 0x00, 0x4B, 0x44, 0x9C, 0x40, 0x00, 0x10},
         AnswerRefusal::None},
        // B9 -> 39: 50 ^ 80 = D0.
        {"master bit clear", {0x86, 0x39, 0x9C, 0x00, 0x12, 0x34, 0x01, 0x07, 0x00, 0x00, 0x4B, 0x44, 0x9C, 0x40, 0x00, 0xD0},
         AnswerRefusal::None},
        // B9 -> 79: 50 ^ C0 = 90.
        {"burst-mode bit set, master bit clear",
         {0x86, 0x79, 0x9C, 0x00, 0x12, 0x34, 0x01, 0x07, 0x00, 0x00, 0x4B, 0x44, 0x9C, 0x40, 0x00, 0x90},
         AnswerRefusal::None},
        // B9 -> B8: 50 ^ 01 = 51.
        {"address bit 0 differs", {0x86, 0xB8, 0x9C, 0x00, 0x12, 0x34, 0x01, 0x07, 0x00, 0x00, 0x4B, 0x44, 0x9C, 0x40, 0x00, 0x51},
         AnswerRefusal::Address},
        // B9 -> 99 (bit 5, the highest address bit): 50 ^ 20 = 70.
        {"address bit 5 differs", {0x86, 0x99, 0x9C, 0x00, 0x12, 0x34, 0x01, 0x07, 0x00, 0x00, 0x4B, 0x44, 0x9C, 0x40, 0x00, 0x70},
         AnswerRefusal::Address},
        // 34 -> 35: 50 ^ 01 = 51.
        {"device id differs", {0x86, 0xB9, 0x9C, 0x00, 0x12, 0x35, 0x01, 0x07, 0x00, 0x00, 0x4B, 0x44, 0x9C, 0x40, 0x00, 0x51},
         AnswerRefusal::Address},
        // 01 -> 03: 50 ^ 02 = 52.
        {"another command", {0x86, 0xB9, 0x9C, 0x00, 0x12, 0x34, 0x03, 0x07, 0x00, 0x00, 0x4B, 0x44, 0x9C, 0x40, 0x00, 0x52},
         AnswerRefusal::Command},
        {"wrong check byte", {0x86, 0xB9, 0x9C, 0x00, 0x12, 0x34, 0x01, 0x07, 0x00, 0x00, 0x4B, 0x44, 0x9C, 0x40, 0x00, 0x51},
         AnswerRefusal::CheckByte},
        // Byte count 07 -> 06 (50 ^ 01 = 51): the frame ends one byte before its last byte.
        {"byte count one short", {0x86, 0xB9, 0x9C, 0x00, 0x12, 0x34, 0x01, 0x06, 0x00, 0x00, 0x4B, 0x44, 0x9C, 0x40, 0x00, 0x51},
         AnswerRefusal::ByteCount},
        {"cut after the data", {0x86, 0xB9, 0x9C, 0x00, 0x12, 0x34, 0x01, 0x07, 0x00, 0x00, 0x4B, 0x44, 0x9C, 0x40, 0x00},
         AnswerRefusal::ByteCount},
        // A short answer: 06 ^ 80 ^ 01 ^ 02 ^ 00 ^ 00 = 85.
        {"short frame to a long request", {0x06, 0x80, 0x01, 0x02, 0x00, 0x00, 0x85}, AnswerRefusal::FrameType},
    };
    const ExchangeBuffer asked = WithRequest(request);
    const AnswerFilter filter = PrepareAnswerFilter(asked);
    for (const Case& c : cases) {
        ExchangeBuffer b = asked;
        std::copy(c.answer.begin(), c.answer.end(), b.response.begin());
        EXPECT_EQ(JudgeAnswer(filter, b, c.answer.size(), true), c.refusal) << c.name;
        // The serial receiver drops an answer of another address after its address bytes.
        if (c.answer[0] == 0x86) {
            EXPECT_EQ(Passes(filter, c.answer), c.refusal != AnswerRefusal::Address) << c.name;
        }
    }
}

// This maker's device in burst mode, polled at short address 0 and then by
// its long address; the short address byte ignores bits 5 to 7 as before.
TEST(AddressBits, ADeviceInBurstModeIsHeardOnShortAndLongFrames) {
    struct Case {
        const char* name;
        Bytes request;
        Bytes answer;
    } cases[] = {
        // 02 ^ 80 ^ 00 ^ 00 = 82; 06 ^ C0 ^ 00 ^ 02 ^ 00 ^ 00 = C4.
        {"short, command 0", {0x02, 0x80, 0x00, 0x00, 0x82}, {0x06, 0xC0, 0x00, 0x02, 0x00, 0x00, 0xC4}},
        // 82 ^ A6 ^ 1E ^ 01 ^ 20 ^ 20 ^ 01 ^ 00: 24 3A 3B 1B 3B 3A 3A -> 3A;
        // 86 ^ E6 ^ 1E ^ 01 ^ 20 ^ 20 ^ 01 ^ 02 ^ 00 ^ 00: 60 7E 7F 5F 7F 7E 7C 7C 7C -> 7C.
        {"long, command 1", {0x82, 0xA6, 0x1E, 0x01, 0x20, 0x20, 0x01, 0x00, 0x3A},
         {0x86, 0xE6, 0x1E, 0x01, 0x20, 0x20, 0x01, 0x02, 0x00, 0x00, 0x7C}},
    };
    for (const Case& c : cases) {
        ExchangeBuffer b = WithRequest(c.request);
        std::copy(c.answer.begin(), c.answer.end(), b.response.begin());
        const AnswerFilter filter = PrepareAnswerFilter(b);
        EXPECT_TRUE(Passes(filter, c.answer)) << c.name;
        EXPECT_EQ(JudgeAnswer(filter, b, c.answer.size(), false), AnswerRefusal::None) << c.name;
        EXPECT_EQ(CheckAnswer(c.answer.size(), c.answer.data()), kAnswerValid) << c.name;
    }
}

// After a silent exchange on the serial line: a whole, sound frame among the
// bytes that the receiver dropped is named with its reason; noise that only
// holds a delimiter is not taken for an answer.
TEST(AddressBits, ARefusedFrameIsFoundAmongTheRawBytes) {
    const ExchangeBuffer asked = WithRequest({0x82, 0xB9, 0x9C, 0x00, 0x12, 0x34, 0x01, 0x00, 0x80});
    const AnswerFilter filter = PrepareAnswerFilter(asked);
    struct Case {
        const char* name;
        Bytes raw;
        AnswerRefusal refusal;
    } cases[] = {
        {"preambles and an answer from bit 0 off",
         {0xFF, 0xFF, 0x86, 0xB8, 0x9C, 0x00, 0x12, 0x34, 0x01, 0x07, 0x00, 0x00, 0x4B, 0x44, 0x9C, 0x40, 0x00, 0x51},
         AnswerRefusal::Address},
        {"a short frame", {0xFF, 0x06, 0x80, 0x01, 0x02, 0x00, 0x00, 0x85}, AnswerRefusal::FrameType},
        {"noise with a delimiter in it", {0x12, 0x86, 0x55, 0x86, 0x00, 0x13}, AnswerRefusal::None},
        {"the refused frame with its check byte spoilt",
         {0xFF, 0x86, 0xB8, 0x9C, 0x00, 0x12, 0x34, 0x01, 0x07, 0x00, 0x00, 0x4B, 0x44, 0x9C, 0x40, 0x00, 0x50},
         AnswerRefusal::None},
    };
    for (const Case& c : cases) {
        ExchangeBuffer b = asked;
        std::copy(c.raw.begin(), c.raw.end(), b.rawAnswer.begin());
        b.rawAnswerCount = static_cast<int>(c.raw.size());
        EXPECT_EQ(RefusalInRawAnswer(filter, b), c.refusal) << c.name;
    }
}

}  // namespace
}  // namespace quillon
