#include <gtest/gtest.h>

#include <vector>

#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/hart_ip_codec.h"
#include "link/hart_ip_link.h"

namespace quillon {
namespace {

using namespace hartip;
using Bytes = std::vector<std::uint8_t>;

// Messages written out by hand from the published layout: version, type,
// ID, status, sequence (2), byte count of the whole message (2), body.
TEST(HartIpCodec, EncodesEachMessageIdAsPublished) {
    struct Case {
        const char* name;
        Bytes encoded;
        Bytes expected;
    };
    const Case cases[] = {
        {"session initiate, primary, 60 s",
         EncodeMessage(kTypeRequest, kIdSessionInitiate, 0, 1, SessionInitiateBody(kHostPrimary, 60000)),
         {0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x0D, 0x01, 0x00, 0x00, 0xEA, 0x60}},
        {"session close", EncodeMessage(kTypeRequest, kIdSessionClose, 0, 0x1234),
         {0x01, 0x00, 0x01, 0x00, 0x12, 0x34, 0x00, 0x08}},
        {"keep-alive answer", EncodeMessage(kTypeResponse, kIdKeepAlive, 0, 0xFFFF),
         {0x01, 0x01, 0x02, 0x00, 0xFF, 0xFF, 0x00, 0x08}},
        {"token-passing PDU, command 0 to address 0",
         EncodeMessage(kTypeRequest, kIdTokenPassingPdu, 0, 2, Bytes{0x02, 0x80, 0x00, 0x00, 0x82}),
         {0x01, 0x00, 0x03, 0x00, 0x00, 0x02, 0x00, 0x0D, 0x02, 0x80, 0x00, 0x00, 0x82}},
        {"NAK with a status", EncodeMessage(kTypeNak, kIdTokenPassingPdu, 14, 9),
         {0x01, 0x0F, 0x03, 0x0E, 0x00, 0x09, 0x00, 0x08}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.encoded, c.expected) << c.name;
        const Decoded d = DecodeDatagram(c.expected.data(), c.expected.size());
        ASSERT_EQ(d.status, DecodeStatus::Complete) << c.name << ": " << d.problem;
        EXPECT_EQ(EncodeMessage(d.message.header.type, d.message.header.id, d.message.header.status,
                                d.message.header.sequence, d.message.body),
                  c.expected)
            << c.name;
    }
    std::uint8_t host = 0;
    std::uint32_t timer = 0;
    ASSERT_TRUE(ParseSessionInitiateBody(Bytes{0x01, 0x00, 0x01, 0x5F, 0x90}, host, timer));
    EXPECT_EQ(host, kHostPrimary);
    EXPECT_EQ(timer, 90000u);
    EXPECT_FALSE(ParseSessionInitiateBody(Bytes{0x01, 0x00, 0x01, 0x5F}, host, timer));
}

TEST(HartIpCodec, RefusesWhatIsNoMessage) {
    struct Case {
        const char* name;
        Bytes bytes;
        DecodeStatus datagram;
        DecodeStatus stream;
    };
    const Case cases[] = {
        {"shorter than the header", {0x01, 0x01, 0x03, 0x00, 0x00, 0x01, 0x00}, DecodeStatus::Malformed,
         DecodeStatus::NeedMore},
        {"byte count below the header", {0x01, 0x01, 0x02, 0x00, 0x00, 0x01, 0x00, 0x07}, DecodeStatus::Malformed,
         DecodeStatus::Malformed},
        {"byte count beyond any message", {0x01, 0x01, 0x03, 0x00, 0x00, 0x01, 0xFF, 0xFF}, DecodeStatus::Malformed,
         DecodeStatus::Malformed},
        {"byte count beyond the datagram", {0x01, 0x01, 0x03, 0x00, 0x00, 0x01, 0x00, 0x0D, 0x06, 0x80},
         DecodeStatus::Malformed, DecodeStatus::NeedMore},
        {"bytes after the byte count", {0x01, 0x01, 0x02, 0x00, 0x00, 0x01, 0x00, 0x08, 0x00},
         DecodeStatus::Malformed, DecodeStatus::Complete},
        {"version 2", {0x02, 0x01, 0x02, 0x00, 0x00, 0x01, 0x00, 0x08}, DecodeStatus::Malformed,
         DecodeStatus::Malformed},
        {"unknown message type", {0x01, 0x07, 0x02, 0x00, 0x00, 0x01, 0x00, 0x08}, DecodeStatus::Malformed,
         DecodeStatus::Malformed},
        {"session initiate with a cut body", {0x01, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x0A, 0x01, 0x00},
         DecodeStatus::Malformed, DecodeStatus::Malformed},
        {"token-passing PDU without a frame", {0x01, 0x01, 0x03, 0x00, 0x00, 0x01, 0x00, 0x08},
         DecodeStatus::Malformed, DecodeStatus::Malformed},
        {"a session initiate refused with its status alone", {0x01, 0x01, 0x00, 0x0E, 0x00, 0x01, 0x00, 0x08},
         DecodeStatus::Complete, DecodeStatus::Complete},
        {"error without a body is fine", {0x01, 0x03, 0x03, 0x06, 0x00, 0x01, 0x00, 0x08}, DecodeStatus::Complete,
         DecodeStatus::Complete},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeDatagram(c.bytes.data(), c.bytes.size()).status, c.datagram) << c.name;
        EXPECT_EQ(DecodeStreamMessage(c.bytes.data(), c.bytes.size()).status, c.stream) << c.name;
    }
}

TEST(HartIpCodec, AStreamGivesItsMessagesOneByOne) {
    Bytes stream = EncodeMessage(kTypeResponse, kIdKeepAlive, 0, 7);
    const Bytes second = EncodeMessage(kTypeResponse, kIdTokenPassingPdu, 0, 8, Bytes{0x06, 0x80, 0x00, 0x00});
    stream.insert(stream.end(), second.begin(), second.end() - 1);
    Decoded d = DecodeStreamMessage(stream.data(), stream.size());
    ASSERT_EQ(d.status, DecodeStatus::Complete);
    EXPECT_EQ(d.message.header.sequence, 7);
    EXPECT_EQ(d.consumed, 8u);
    EXPECT_EQ(DecodeStreamMessage(stream.data() + 8, stream.size() - 8).status, DecodeStatus::NeedMore);
    stream.push_back(second.back());
    d = DecodeStreamMessage(stream.data() + 8, stream.size() - 8);
    ASSERT_EQ(d.status, DecodeStatus::Complete);
    EXPECT_EQ(d.message.body, (Bytes{0x06, 0x80, 0x00, 0x00}));
}

// A short-frame request for command `command` to address 0, as the engine finishes it.
ExchangeBuffer RequestFor(std::uint8_t command) {
    ExchangeBuffer b;
    BuildShortRequest(b, command);
    FinishRequest(b, 0, {}, 1);
    return b;
}

Bytes ShortAnswer(std::uint8_t address, std::uint8_t command, const Bytes& data) {
    Bytes f(7 + data.size(), 0);
    f[0] = 0x06;
    f[1] = address;
    f[2] = command;
    f[3] = static_cast<std::uint8_t>(data.size() + 2);
    for (std::size_t i = 0; i < data.size(); ++i) f[6 + i] = data[i];
    f[f.size() - 1] = XorOf(f.data(), f.size() - 1);
    return f;
}

Message Pdu(std::uint8_t type, std::uint16_t sequence, Bytes frame, std::uint8_t status = 0) {
    Message m;
    m.header = {kVersion, type, kIdTokenPassingPdu, status, sequence, static_cast<std::uint16_t>(8 + frame.size())};
    m.body = std::move(frame);
    return m;
}

// The answer inside a message gets the modem link's checks, and only the
// message with the request's sequence number is an answer at all.
TEST(HartIpAnswer, OnlyTheAwaitedSoundFrameIsAccepted) {
    const Bytes good = ShortAnswer(0x80, 1, {0x20, 0x41, 0xAC, 0x00, 0x00});
    Bytes badCheck = ShortAnswer(0x80, 1, {0x20, 0x41, 0xAC, 0x00, 0x00});
    badCheck[10] ^= 0x01;  // the check byte
    Bytes trailing = good;
    trailing.push_back(0x00);
    const Bytes otherAddress = ShortAnswer(0x81, 1, {0x20, 0x41, 0xAC, 0x00, 0x00});
    const Bytes otherCommand = ShortAnswer(0x80, 0, {0x20, 0x41, 0xAC, 0x00, 0x00});
    Bytes longType = good;
    longType[0] = 0x86;
    Bytes cut(good.begin(), good.end() - 2);
    Bytes oversized = ShortAnswer(0x80, 1, Bytes(230, 0x00));

    struct Case {
        const char* name;
        Message message;
        HartIpVerdict verdict;
        int result;
    };
    const Case cases[] = {
        {"the answer", Pdu(kTypeResponse, 5, good), HartIpVerdict::Answer, ExchangeOk},
        {"a late answer to request 4", Pdu(kTypeResponse, 4, good), HartIpVerdict::Ignore, 0},
        {"a request of the server", Pdu(kTypeRequest, 5, good), HartIpVerdict::Ignore, 0},
        {"wrong check byte", Pdu(kTypeResponse, 5, badCheck), HartIpVerdict::Answer, ExchangeBadAnswer},
        {"a byte past the check byte", Pdu(kTypeResponse, 5, trailing), HartIpVerdict::Answer, ExchangeBadAnswer},
        {"cut short", Pdu(kTypeResponse, 5, cut), HartIpVerdict::Answer, ExchangeBadAnswer},
        {"another device", Pdu(kTypeResponse, 5, otherAddress), HartIpVerdict::Answer, ExchangeBadAnswer},
        {"another command", Pdu(kTypeResponse, 5, otherCommand), HartIpVerdict::Answer, ExchangeBadAnswer},
        {"the other frame type", Pdu(kTypeResponse, 5, longType), HartIpVerdict::Answer, ExchangeBadAnswer},
        {"beyond the buffer", Pdu(kTypeResponse, 5, oversized), HartIpVerdict::Answer, ExchangeBadAnswer},
        {"gateway busy", Pdu(kTypeResponse, 5, {}, 32), HartIpVerdict::Answer, ExchangeNoAnswer},
        {"gateway refuses", Pdu(kTypeResponse, 5, {}, 16), HartIpVerdict::Refused, 0},
        {"error message", Pdu(kTypeError, 5, {}, 6), HartIpVerdict::Refused, 0},
        {"NAK", Pdu(kTypeNak, 5, {}, 14), HartIpVerdict::Refused, 0},
    };
    for (const Case& c : cases) {
        ExchangeBuffer b = RequestFor(1);
        const HartIpJudgement j = JudgeHartIpMessage(b, c.message, 5);
        EXPECT_EQ(j.verdict, c.verdict) << c.name;
        if (c.verdict == HartIpVerdict::Answer) {
            EXPECT_EQ(j.result, c.result) << c.name;
        }
        if (j.verdict == HartIpVerdict::Answer && j.result == ExchangeOk) {
            EXPECT_EQ(b.responseCount, good.size());
        }
    }
    Message close;
    close.header = {kVersion, kTypeRequest, kIdSessionClose, 0, 0x8000, 8};
    ExchangeBuffer b = RequestFor(1);
    EXPECT_EQ(JudgeHartIpMessage(b, close, 5).verdict, HartIpVerdict::ServerClosed);
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST(HartIpEndpoint, HostAndOptionalPortAsTyped) {
    struct Case {
        const char* text;
        bool ok;
        const char* host;
        int port;
    };
    const Case cases[] = {
        {"127.0.0.1", true, "127.0.0.1", 5094},     {"gw.plant:20004", true, "gw.plant", 20004},
        {"[::1]:5095", true, "::1", 5095},          {"::1", true, "::1", 5094},
        {"[fe80::2]", true, "fe80::2", 5094},       {"host:", false, "", 0},
        {"host:0", false, "", 0},                   {"host:65536", false, "", 0},
        {"host:50x", false, "", 0},                 {":5094", false, "", 0},
        {"", false, "", 0},                         {"[::1", false, "", 0},
    };
    for (const Case& c : cases) {
        std::string host;
        int port = 0;
        ASSERT_EQ(ParseHartIpEndpoint(c.text, host, port), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(host, c.host) << c.text;
        EXPECT_EQ(port, c.port) << c.text;
    }
}

}  // namespace
}  // namespace quillon
