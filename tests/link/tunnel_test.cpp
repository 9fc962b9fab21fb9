#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "link/crc16.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/link_test_support.h"
#include "link/tunnel.h"
#include "sim/virtual_clock.h"
#include "support/scripted_ui.h"

namespace quillon {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A finished short HART request of 8 bytes: delimiter, address, command 11,
// three data bytes and the XOR check byte 0x8B.
const Bytes kHart{0x02, 0x81, 0x0B, 0x03, 0x01, 0x02, 0x03, 0x8B};

Bytes Wrap(const LinkSettings& st, const Bytes& hart = kHart) { return WrapRequest(st, hart.data(), hart.size()); }

std::string CredentialField(const Bytes& frame, std::size_t at) {
    return {frame.begin() + at, frame.begin() + at + 16};
}

TEST(WrapRequest, FormatElevenAroundAnEightByteFrame) {
    LinkSettings st;
    st.tunnelAddress = 0x05;
    Bytes expected{0xBB, 0x05, 30, 0x0B};
    expected.insert(expected.end(), 16, 0x20);
    expected.insert(expected.end(), kHart.begin(), kHart.end());
    expected.insert(expected.end(), {0xD2, 0xDC});
    EXPECT_EQ(Wrap(st), expected);
}

TEST(WrapRequest, FormatThirtyThreeCarriesTheLine) {
    LinkSettings st;
    st.tunnelAddress = 0xFE;
    st.tunnelRequestFormat = 1;
    st.tunnelLine = 2;
    st.tunnelPassword = "pw";
    Bytes expected{0xBB, 0xFE, 32, 0x21, 3, 0x00, 'p', 'w'};
    expected.insert(expected.end(), 14, 0x20);
    expected.insert(expected.end(), kHart.begin(), kHart.end());
    expected.insert(expected.end(), {0xFA, 0xC8});
    EXPECT_EQ(Wrap(st), expected);

    for (int line = 0; line < 4; ++line) {
        st.tunnelLine = line;
        const Bytes frame = Wrap(st);
        EXPECT_EQ(frame[4], line + 1);
        EXPECT_EQ(frame[5], 0);
        EXPECT_TRUE(CrcResidueCheck(frame.data(), frame.size()));
    }
}

TEST(WrapRequest, CredentialField) {
    struct Case {
        bool sou;
        std::string password, userId, field;
    } cases[] = {
        {false, "", "", std::string(16, ' ')},
        {false, "", "ab", std::string(16, ' ')},
        {false, "short", "", "short           "},
        {false, "0123456789ABCDEFGHIJ", "", "0123456789ABCDEF"},
        {false, "\xCF\xE0\xF0\x98\xFF", "", "\xCF\xE0\xF0\x98\xFF           "},
        {true, "123456789012345", "abcdef", "123456789012abcd"},
        {true, "ab", "x", "ab          x   "},
        {true, "", "", std::string(16, ' ')},
    };
    for (const auto& c : cases) {
        LinkSettings st;
        st.souMode = c.sou;
        st.tunnelPassword = c.password;
        st.tunnelUserId = c.userId;
        for (int format : {0, 1}) {
            st.tunnelRequestFormat = format;
            const Bytes frame = Wrap(st);
            EXPECT_EQ(CredentialField(frame, format == 1 ? 6 : 4), c.field) << c.password << " sou " << c.sou;
            EXPECT_TRUE(CrcResidueCheck(frame.data(), frame.size()));
        }
    }
}

class Unwrap : public ::testing::Test {
protected:
    // The answers below come from polling address 0 to a short command 0.
    Unwrap() {
        s.settings.tunnelAddress = 0x05;
        ask(false, 0);
    }
    void ask(bool longFrame, std::uint8_t shortAddress, std::array<std::uint8_t, 5> longAddress = {}) {
        if (longFrame)
            BuildLongRequest(s.buffer, 0);
        else
            BuildShortRequest(s.buffer, 0);
        FinishRequest(s.buffer, shortAddress, longAddress, 1);
    }

    int unwrap(const Bytes& answer, std::size_t count) {
        std::copy(answer.begin(), answer.end(), s.buffer.response.begin());
        return UnwrapAnswer(s, count);
    }
    int unwrap(const Bytes& answer) { return unwrap(answer, answer.size()); }

    testing::ScriptedUi ui;
    testing::FakePorts ports;
    sim::VirtualClock clock;
    AppState s{ui, ports, clock};
};

// The device's short answer: delimiter, address, command, 4 bytes, two status
// bytes, data 12 34, check byte.
const Bytes kHartAnswer{0x06, 0x80, 0x00, 0x04, 0x00, 0x00, 0x12, 0x34, 0xA4};
const Bytes kAnswer11{0x66, 0x05, 0x0F, 0x0B, 0x06, 0x80, 0x00, 0x04, 0x00, 0x00, 0x12, 0x34, 0xA4, 0x53, 0x4A};
const Bytes kAnswer33{0x66, 0x05, 0x11, 0x21, 0x01, 0x00, 0x06, 0x80, 0x00,
                      0x04, 0x00, 0x00, 0x12, 0x34, 0xA4, 0x72, 0x3B};
const Bytes kError4{0x66, 0x05, 0x09, 0x0B, 0x04, 0x00, 0x00, 0x82, 0xB7};
const Bytes kError5{0x66, 0x05, 0x09, 0x0B, 0x05, 0x00, 0x00, 0xD3, 0x77};

TEST_F(Unwrap, MovesTheHartAnswerToTheStartForEitherFormat) {
    struct Case {
        int format;
        const Bytes& answer;
    } cases[] = {{0, kAnswer11}, {1, kAnswer33}};
    for (const auto& c : cases) {
        s.settings.tunnelRequestFormat = c.format;
        ASSERT_EQ(unwrap(c.answer), ExchangeOk) << c.format;
        EXPECT_EQ(Bytes(s.buffer.response.begin(), s.buffer.response.begin() + 9), kHartAnswer);
        EXPECT_EQ(s.buffer.responseCount, 9);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Unwrap, ErrorAnswers) {
    struct Case {
        const Bytes& answer;
        std::vector<MessageAnswer> script;
        int result;
        bool asked;
    } cases[] = {
        {kError4, {MessageAnswer::Yes}, ExchangeAborted, true},
        {kError4, {MessageAnswer::No}, ExchangeNoAnswer, true},
        {kError5, {}, ExchangeNoAnswer, false},
    };
    for (const auto& c : cases) {
        ui.clearRecord();
        for (auto a : c.script) ui.answerMessages({a});
        EXPECT_EQ(unwrap(c.answer), c.result);
        if (c.asked) {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].text, "Неправильный пароль Brenta! Прекратить связь?");
            EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
            EXPECT_EQ(ui.messages[0].buttons, MessageButtons::YesNo);
        } else {
            EXPECT_TRUE(ui.messages.empty());
        }
    }
}

TEST_F(Unwrap, DamagedAnswersAreBadAndNeverReadOutOfBounds) {
    const auto withLength = [](Bytes b, std::uint8_t length) {
        b[2] = length;
        return b;
    };
    const auto corrupted = [](Bytes b, std::size_t at) {
        b[at] ^= 0x10;
        return b;
    };
    // A right wrapper CRC around a HART answer with a wrong check byte.
    Bytes badHart{0x66, 0x05, 0x0F, 0x0B, 0x06, 0x80, 0x00, 0x04, 0x00, 0x00, 0x12, 0x34, 0xA5, 0, 0};
    AppendCrc(badHart.data(), 13);

    struct Case {
        const char* name;
        Bytes answer;
        std::size_t count;
        int result;
    } cases[] = {
        {"nothing", {}, 0, ExchangeNoTunnelAnswer},
        {"eight bytes", Bytes(kAnswer11.begin(), kAnswer11.begin() + 8), 8, ExchangeBadAnswer},
        {"length byte too small", withLength(kAnswer11, 3), 15, ExchangeBadAnswer},
        {"length byte zero", withLength(kAnswer11, 0), 15, ExchangeBadAnswer},
        {"length byte too large", withLength(kAnswer11, 250), 15, ExchangeBadAnswer},
        {"fewer bytes than the length byte", kAnswer11, 12, ExchangeBadAnswer},
        {"more bytes than the length byte",
         [] {
             Bytes b = kAnswer11;
             b.push_back(0);
             return b;
         }(),
         16, ExchangeBadAnswer},
        {"count beyond the buffer", withLength(kAnswer11, 255), 255, ExchangeBadAnswer},
        {"wrapper CRC wrong", corrupted(kAnswer11, 13), 15, ExchangeBadAnswer},
        {"data changed", corrupted(kAnswer11, 10), 15, ExchangeBadAnswer},
        {"error answer with a wrong CRC", corrupted(kError4, 8), 9, ExchangeBadAnswer},
        {"bad HART check byte", badHart, 15, ExchangeBadAnswer},
    };
    for (const auto& c : cases) {
        ui.clearRecord();
        s.buffer.response.fill(0);
        EXPECT_EQ(unwrap(c.answer, c.count), c.result) << c.name;
        EXPECT_TRUE(ui.messages.empty()) << c.name;
    }

    // Format 33 with the smallest non-error length leaves a 2-byte HART answer: bad.
    s.settings.tunnelRequestFormat = 1;
    Bytes tiny{0x66, 0x05, 0x0A, 0x21, 0x01, 0x00, 0x06, 0x80, 0, 0};
    AppendCrc(tiny.data(), 8);
    EXPECT_EQ(unwrap(tiny), ExchangeBadAnswer);
}

}  // namespace
}  // namespace quillon
