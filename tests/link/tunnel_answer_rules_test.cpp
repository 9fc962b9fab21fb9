#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "link/crc16.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/link_bench.h"

namespace quillon::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::int64_t kMs = 1000;
const std::array<std::uint8_t, 5> kDevice{0x26, 0x0F, 0x00, 0x00, 0x01};

Bytes Hex(const std::string& text) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 3)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

// The flow computer at address 5, format 11, at 9600 baud so that the
// wrapper leaves quickly; the device's long address is known.
struct TunnelBench : LinkBench {
    TunnelBench() {
        s.settings.linkType = kLinkTunnel;
        s.settings.tunnelAddress = 0x05;
        s.settings.portSpeedIndex = 9;
        s.settings.masterAddress = 1;
        s.target.longAddress = kDevice;
    }
    // Sends the request in the buffer and has `answer` arrive after it.
    int exchange(const Bytes& answer) {
        line.incoming.clear();
        line.scheduleBytes(clock.nowUs() + 200 * kMs, answer);
        return Exchange(s);
    }
};

TEST(TunnelAnswer, FrameTypeAddressAndCommandFollowTheDirectLinksRules) {
    struct Case {
        const char* name;
        bool longRequest;
        std::uint8_t shortAddress;
        const char* answer;  // the whole wrapper, as it comes off the line
        int result;
        AnswerRefusal refusal;  // what the monitor is told
    } cases[] = {
        // Reproducer: a long HART answer (86 80 00 00 00 00 ...) to a short command 0.
        {"long answer to a short request", false, 0, "66 05 0f 0b 86 80 00 00 00 00 00 00 06 04 74", ExchangeBadAnswer,
         AnswerRefusal::FrameType},
        // Command 6 answered in a short frame carrying code 16 (10) at byte 4.
        {"short answer to a long request", true, 0, "66 05 0e 0b 06 80 06 03 10 00 05 96 2d f9", ExchangeBadAnswer,
         AnswerRefusal::FrameType},
        {"long answer from another device id", true, 0, "66 05 12 0b 86 a6 0f 00 00 02 06 03 00 00 05 2d 5a c7",
         ExchangeBadAnswer, AnswerRefusal::Address},
        // A device in burst mode sets bit 6 whatever the request had.
        {"long answer with the burst-mode bit set", true, 0, "66 05 12 0b 86 e6 0f 00 00 01 06 03 00 00 05 6e 7d f7",
         ExchangeOk, AnswerRefusal::None},
        {"long answer from the device", true, 0, "66 05 12 0b 86 a6 0f 00 00 01 06 03 10 00 05 3e 2c ca", ExchangeOk,
         AnswerRefusal::None},
        // The same answer naming command 7: a late answer to an earlier request.
        {"long answer naming another command", true, 0, "66 05 12 0b 86 a6 0f 00 00 01 07 03 10 00 05 3f ec db",
         ExchangeBadAnswer, AnswerRefusal::Command},
        {"short answer from another polling address", false, 1, "66 05 0d 0b 06 82 00 02 00 00 86 17 66",
         ExchangeBadAnswer, AnswerRefusal::Address},
        {"short answer from the polling address", false, 1, "66 05 0d 0b 06 81 00 02 00 00 85 57 54", ExchangeOk,
         AnswerRefusal::None},
        {"any polling address when none was entered", false, 16, "66 05 0d 0b 06 82 00 02 00 00 86 17 66", ExchangeOk,
         AnswerRefusal::None},
    };
    for (const auto& c : cases) {
        TunnelBench b;
        b.s.settings.shortAddress = c.shortAddress;
        if (c.longRequest)
            BuildLongRequest(b.s.buffer, 6, {0});
        else
            BuildShortRequest(b.s.buffer, 0);
        EXPECT_EQ(b.exchange(Hex(c.answer)), c.result) << c.name;
        EXPECT_EQ(b.s.buffer.refusal, c.refusal) << c.name;
        EXPECT_TRUE(b.ui.messages.empty()) << c.name;
    }
}

TEST(TunnelAnswer, BytesAfterTheHartFrameAreNotPartOfTheAnswer) {
    struct Case {
        const char* name;
        bool longRequest;
        const char* answer;
        std::size_t length;  // the HART frame's own length
        bool hasStatus;
    } cases[] = {
        // Reproducer: short answer to command 0 with no status bytes, then 0xAA.
        {"one byte after a short frame", false, "66 05 0c 0b 06 80 00 00 86 aa f5 c4", 5, false},
        {"two bytes after a long frame", true, "66 05 14 0b 86 a6 0f 00 00 01 06 03 00 00 05 2e 00 55 dc 5f", 12, true},
    };
    for (const auto& c : cases) {
        TunnelBench b;
        b.s.settings.shortAddress = 0;
        if (c.longRequest)
            BuildLongRequest(b.s.buffer, 6, {0});
        else
            BuildShortRequest(b.s.buffer, 0);
        ASSERT_EQ(b.exchange(Hex(c.answer)), ExchangeOk) << c.name;
        EXPECT_EQ(b.s.buffer.responseCount, c.length) << c.name;
        EXPECT_TRUE(AnswerWithinCount(b.s.buffer)) << c.name;
        // The trailing byte never passes for a response code.
        EXPECT_EQ(AnswerByteCount(b.s.buffer) >= 2 && AnswerWithinCount(b.s.buffer), c.hasStatus) << c.name;
        EXPECT_EQ(AnswerDataCount(b.s.buffer), c.hasStatus ? 1u : 0u) << c.name;
    }
}

TEST(AnswerReaders, NothingPastTheAcceptedCountIsRead) {
    ExchangeBuffer b;
    const Bytes longAnswer{0x86, 0xA6, 0x0F, 0x00, 0x00, 0x01, 0x06, 0x04, 0x10, 0x40, 0x05, 0xFF};
    std::copy(longAnswer.begin(), longAnswer.end(), b.response.begin());
    struct Case {
        std::uint8_t count;
        bool within;
        std::size_t data;
    } cases[] = {{13, true, 2}, {12, false, 0}, {8, false, 0}, {7, false, 0}, {0, false, 0}};
    for (const auto& c : cases) {
        b.responseCount = c.count;
        EXPECT_EQ(AnswerWithinCount(b), c.within) << int(c.count);
        EXPECT_EQ(AnswerDataCount(b), c.data) << int(c.count);
    }
    // Positions follow the frame type of the answer itself.
    b.responseCount = 13;
    EXPECT_EQ(ResponseCode(b), 0x10);
    EXPECT_EQ(DeviceStatus(b), 0x40);
    const Bytes shortAnswer{0x06, 0x80, 0x06, 0x03, 0x07, 0x08, 0x05};
    std::copy(shortAnswer.begin(), shortAnswer.end(), b.response.begin());
    b.responseCount = 8;
    EXPECT_EQ(ResponseCode(b), 0x07);
    EXPECT_EQ(DeviceStatus(b), 0x08);
    EXPECT_EQ(AnswerDataCount(b), 1u);
}

// Whatever the line delivers, an answer taken as good matches the request it
// answers: its frame type, every address byte the filter checks, its check
// byte, and a count equal to its own length. Checked on both links with
// answers grown from a matching one by random damage.
TEST(AnswerInvariant, AGoodResultAlwaysCarriesAMatchingAnswer) {
    std::mt19937 random(15);
    const auto byte = [&] { return static_cast<std::uint8_t>(random() & 0xFF); };
    int accepted[2] = {0, 0};
    for (int link : {kLinkDirect, kLinkTunnel}) {
        for (int round = 0; round < 400; ++round) {
            TunnelBench b;
            b.s.settings.linkType = link;
            b.s.settings.shortAddress = static_cast<std::uint8_t>(random() % 17);
            b.s.target.longAddress = {byte(), byte(), byte(), byte(), byte()};
            const bool longRequest = random() & 1;
            const std::uint8_t command = random() % 4 == 0 ? 19 : byte();
            if (longRequest)
                BuildLongRequest(b.s.buffer, command, {1});
            else
                BuildShortRequest(b.s.buffer, command, {1});

            // A matching answer with two status bytes and up to 3 data bytes.
            Bytes hart;
            if (longRequest) {
                hart.reserve(16);
                hart.push_back(0x86);
                hart.push_back(static_cast<std::uint8_t>(b.s.target.longAddress[0] | 0x80));
                for (std::size_t i = 1; i < 5; ++i) hart.push_back(b.s.target.longAddress[i]);
            } else {
                const std::uint8_t address = b.s.settings.shortAddress == 16 ? byte() : b.s.settings.shortAddress;
                hart = {0x06, static_cast<std::uint8_t>(address | 0x80)};
            }
            const std::size_t data = random() % 4;
            hart.push_back(command);
            hart.push_back(static_cast<std::uint8_t>(data + 2));
            for (std::size_t i = 0; i < data + 2; ++i) hart.push_back(byte());
            hart = WithCheckByte(hart);

            // Damage: change a byte, drop the end, add bytes, or the other frame type.
            switch (random() % 5) {
                case 0: hart[random() % hart.size()] = byte(); break;
                case 1: hart.resize(random() % hart.size()); break;
                case 2:
                    for (unsigned n = 1 + random() % 3; n > 0; --n) hart.push_back(byte());
                    break;
                case 3: hart[0] ^= 0x80; break;
                default: break;
            }
            if (random() % 2 && !hart.empty()) hart = WithCheckByte(Bytes(hart.begin(), hart.end() - 1));

            Bytes wire;
            if (link == kLinkDirect) {
                wire.assign(5, 0xFF);
                wire.insert(wire.end(), hart.begin(), hart.end());
            } else {
                wire = {0x66, 0x05, 0, 0x0B};
                wire.insert(wire.end(), hart.begin(), hart.end());
                wire.resize(wire.size() + 2);
                wire[2] = static_cast<std::uint8_t>(wire.size());
                AppendCrc(wire.data(), wire.size() - 2);
            }
            b.ui.answerMessages({MessageAnswer::No});
            if (b.exchange(wire) != ExchangeOk) continue;
            ++accepted[link];
            const ExchangeBuffer& buffer = b.s.buffer;
            const AnswerFilter filter = PrepareAnswerFilter(buffer);
            EXPECT_TRUE(AnswerMatchesFilter(filter, buffer.response.data(), buffer.responseCount)) << round;
            EXPECT_EQ(AnswerOwnLength(buffer), buffer.responseCount) << round;
            EXPECT_EQ(CheckAnswer(buffer.responseCount, buffer.response.data()), kAnswerValid) << round;
        }
    }
    // The damage leaves enough good answers for the check to mean something.
    EXPECT_GT(accepted[kLinkDirect], 100);
    EXPECT_GT(accepted[kLinkTunnel], 100);
}

}  // namespace
}  // namespace quillon::testing
