#include <gtest/gtest.h>

#include <vector>

#include "link/crc16.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "sim/byte_order.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::SimBench;

std::vector<std::uint8_t> Data(const ExchangeBuffer& b) {
    const auto* p = b.response.data() + AnswerDataIndex(b);
    return {p, p + AnswerDataCount(b)};
}

// Sends a long request and expects a good frame back.
void Ask(SimBench& b, std::uint8_t command, std::initializer_list<std::uint8_t> data = {}) {
    BuildLongRequest(b.state.buffer, command, data);
    ASSERT_EQ(Exchange(b.state), ExchangeOk) << "command " << int(command);
}

TEST(SimCommands, IdentityAnswerCarriesTheProfile) {
    SimBench b("rev14-d1");
    b.device().setResponsePreambles(7);
    b.device().setLongAddress({0x26, 0x1E, 0xA1, 0xB2, 0xC3});
    b.state.identity.longAddress = b.device().profile().longAddress;
    Ask(b, 0);
    EXPECT_EQ(ResponseCode(b.state.buffer), 0);
    EXPECT_EQ(Data(b.state.buffer),
              (std::vector<std::uint8_t>{254, 0x26, 0x1E, 7, 5, 1, 14, 0x20, 0, 0xA1, 0xB2, 0xC3}));
    // The answer is preceded by as many preambles as the device is set to send.
    EXPECT_EQ(b.state.buffer.rawAnswer[6], 0xFF);
    EXPECT_EQ(b.state.buffer.rawAnswer[7], 0x86);
}

TEST(SimCommands, PresetsCarryTheirRevisions) {
    struct Case {
        const char* name;
        int sw, hw, dev;
    } cases[] = {{"rev1", 1, 0, 0},      {"rev3", 3, 0, 0},           {"rev3-hw1", 3, 1, 1},  {"velkor", 3, 1, 4},
                 {"rev9-d11", 9, 0, 11}, {"rev14-hw30", 14, 0x30, 1}, {"rev16", 16, 0x20, 0}, {"rev13-d2", 13, 0, 2}};
    for (const auto& c : cases) {
        const auto p = sim::Preset(c.name);
        EXPECT_EQ(p.softwareRevision, c.sw) << c.name;
        EXPECT_EQ(p.hardwareRevision, c.hw) << c.name;
        EXPECT_EQ(p.deviceRevision, c.dev) << c.name;
    }
    EXPECT_THROW(sim::Preset("rev99"), std::invalid_argument);
    const auto density = sim::Preset("density7");
    EXPECT_EQ(density.longAddress[0], 35);
    EXPECT_EQ(density.longAddress[1], 4);
    EXPECT_EQ(density.longAddress[3], 7);
}

TEST(SimCommands, MeasurementAnswerShapes) {
    struct Case {
        const char* preset;
        std::uint8_t command;
        int byteCount;  // status bytes included; 64 = not implemented
    } cases[] = {
        {"rev6", 1, 7},        {"rev6", 3, 16},     {"rev16", 3, 26},  {"rev9-d11", 3, 26},
        {"density6", 110, 10}, {"velkor", 110, 10}, {"rev6", 110, 64}, {"rev6", 20, 34},
    };
    for (const auto& c : cases) {
        SimBench b(c.preset);
        Ask(b, c.command);
        if (c.byteCount == 64) {
            EXPECT_EQ(ResponseCode(b.state.buffer), 64) << c.preset << " " << int(c.command);
        } else {
            EXPECT_EQ(ResponseCode(b.state.buffer), 0) << c.preset << " " << int(c.command);
            EXPECT_EQ(AnswerByteCount(b.state.buffer), c.byteCount) << c.preset << " " << int(c.command);
        }
    }
}

TEST(SimCommands, LiveValuesMoveAroundTheirBaseAndRepeatForASeed) {
    auto run = [](std::uint32_t seed) {
        SimBench b("rev6", true, seed);
        std::vector<float> values;
        for (int i = 0; i < 20; ++i) {
            BuildLongRequest(b.state.buffer, 1);
            EXPECT_EQ(Exchange(b.state), ExchangeOk);
            EXPECT_EQ(b.state.buffer.response[10], 32);  // unit
            values.push_back(sim::GetFloat(b.state.buffer.response.data() + 11));
        }
        return values;
    };
    const auto a = run(7);
    EXPECT_EQ(a, run(7));
    EXPECT_NE(a, run(8));
    for (float v : a) EXPECT_NEAR(v, 21.5f, 0.5f);
    EXPECT_NE(a.front(), a.back());
}

TEST(SimCommands, UnknownCommandIsNotImplemented) {
    SimBench b("rev6");
    Ask(b, 200);
    EXPECT_EQ(ResponseCode(b.state.buffer), 64);
}

TEST(SimCommands, SettingsReadWriteAndNotEntered) {
    SimBench b("rev16");
    Ask(b, 176, {33});
    EXPECT_EQ(Data(b.state.buffer), (std::vector<std::uint8_t>{33, 0x00, 0x00, 0x03, 0x00}));
    Ask(b, 176, {40});
    EXPECT_EQ(ResponseCode(b.state.buffer), 1);  // never entered
    Ask(b, 177, {40, 0x00, 0x00, 0x03, 0xE8});
    EXPECT_EQ(ResponseCode(b.state.buffer), 0);
    EXPECT_EQ(AnswerByteCount(b.state.buffer), 7);
    Ask(b, 176, {40});
    EXPECT_EQ(Data(b.state.buffer), (std::vector<std::uint8_t>{40, 0x00, 0x00, 0x03, 0xE8}));
    Ask(b, 176, {200});
    EXPECT_EQ(ResponseCode(b.state.buffer), 2);
}

TEST(SimCommands, PreambleSettingChangesTheAnswerPreambles) {
    SimBench b("rev14");
    Ask(b, 177, {22, 0, 0, 0, 12});
    Ask(b, 1);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(b.state.buffer.rawAnswer[i], 0xFF) << i;
    EXPECT_EQ(b.state.buffer.rawAnswer[12], 0x86);
    Ask(b, 0);
    EXPECT_EQ(Data(b.state.buffer)[3], 12);
}

TEST(SimCommands, WriteProtectionUntilTheButtonIsPressed) {
    struct Write {
        std::uint8_t command;
        std::vector<std::uint8_t> data;
    } writes[] = {{177, {40, 0, 0, 0, 1}}, {59, {8}}, {190, {0x10, 0x00, 0x01, 0x4C}}};
    for (std::uint8_t code : {7, 16}) {
        for (const auto& w : writes) {
            SimBench b("rev16");
            b.device().lock(code);
            BuildLongRequest(b.state.buffer, w.command, w.data.data(), w.data.size());
            ASSERT_EQ(Exchange(b.state), ExchangeOk);
            EXPECT_EQ(ResponseCode(b.state.buffer), code) << int(w.command);
            Ask(b, 1);  // reads are not protected
            EXPECT_EQ(ResponseCode(b.state.buffer), 0);
            b.device().pressButton();
            BuildLongRequest(b.state.buffer, w.command, w.data.data(), w.data.size());
            ASSERT_EQ(Exchange(b.state), ExchangeOk);
            EXPECT_EQ(ResponseCode(b.state.buffer), 0) << int(w.command);
        }
    }
}

TEST(SimCommands, ParameterBlockKeepsTheShortAddressWithItsCheckByte) {
    SimBench b("rev8");
    b.device().setShortAddress(7);
    b.state.settings.shortAddress = 7;
    Ask(b, 191, {3, 0, 2});  // index 3, least significant byte first
    EXPECT_EQ(Data(b.state.buffer), (std::vector<std::uint8_t>{7, 0x4A}));
    Ask(b, 190, {0x20, 0x01, 0x11, 0x22, 0x4D ^ 0x11 ^ 0x22});
    Ask(b, 191, {0x20, 0x01, 3});
    EXPECT_EQ(Data(b.state.buffer), (std::vector<std::uint8_t>{0x11, 0x22, 0x4D ^ 0x11 ^ 0x22}));
    Ask(b, 190, {0x20, 0x01, 0x11, 0x00});  // wrong check byte
    EXPECT_NE(ResponseCode(b.state.buffer), 0);
}

TEST(SimCommands, SensorIdentifierAndEepromBlock) {
    SimBench b("rev16");
    Ask(b, 220);
    EXPECT_EQ(AnswerByteCount(b.state.buffer), 10);
    Ask(b, 222, {0x00, 0x54, 18});
    ASSERT_EQ(AnswerByteCount(b.state.buffer), 20);
    EXPECT_TRUE(CrcResidueCheck(b.state.buffer.response.data() + 10, 18));

    std::vector<std::uint8_t> request{0x00, 0x54, 18};
    std::vector<std::uint8_t> block(18, 0);
    block[0] = 'N';
    block[1] = 'E';
    AppendCrc(block.data(), 16);
    request.insert(request.end(), block.begin(), block.end());
    BuildLongRequest(b.state.buffer, 221, request.data(), request.size());
    ASSERT_EQ(Exchange(b.state), ExchangeOk);
    EXPECT_EQ(ResponseCode(b.state.buffer), 0);
    Ask(b, 222, {0x00, 0x54, 18});
    EXPECT_EQ(Data(b.state.buffer), block);

    SimBench plain("rev6");  // no sensor on the bus
    Ask(plain, 220);
    EXPECT_EQ(ResponseCode(plain.state.buffer), 64);
}

}  // namespace
}  // namespace quillon
