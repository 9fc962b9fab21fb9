#include <gtest/gtest.h>

#include "link/comm_state.h"
#include "link/line_settings.h"

namespace quillon {
namespace {

// Every speed option the link settings can select, as the driver is asked for it.
TEST(CommStateFor, EverySpeedOptionGivesItsRateAndParity) {
    struct Case {
        int linkType, hartSpeed, portSpeed;
        std::uint32_t baud;
        std::uint8_t parity;  // 0 none, 1 odd, as in the system headers
    };
    const Case cases[] = {
        {0, 0, 0, 1200, 1},   {0, 1, 0, 38400, 1},  {0, 2, 0, 19200, 0},  {0, 3, 0, 38400, 0},   {0, 4, 0, 9600, 0},
        {0, 5, 0, 2400, 0},   {0, 6, 0, 2400, 1},   {0, -1, 0, 2400, 1},  {1, 0, 0, 300, 0},     {1, 0, 1, 600, 0},
        {1, 0, 2, 1200, 0},   {1, 0, 3, 2400, 0},   {1, 0, 4, 3200, 0},   {1, 0, 5, 3600, 0},    {1, 0, 6, 4800, 0},
        {1, 0, 7, 6400, 0},   {1, 0, 8, 7200, 0},   {1, 0, 9, 9600, 0},   {1, 0, 10, 14400, 0},  {1, 0, 11, 19200, 0},
        {1, 0, 12, 28800, 0}, {1, 0, 13, 38400, 0}, {1, 0, 14, 57600, 0}, {1, 0, 15, 115200, 0}, {1, 0, 16, 1200, 0},
        {1, 0, -1, 1200, 0},  {2, 1, 15, 1200, 0},
    };
    for (const auto& c : cases) {
        LinkSettings st;
        st.linkType = c.linkType;
        st.hartSpeedIndex = c.hartSpeed;
        st.portSpeedIndex = c.portSpeed;
        const CommStateFields f = CommStateFor(LineSettingsFor(st));
        const auto where = ::testing::Message()
                           << "link " << c.linkType << " hart " << c.hartSpeed << " port " << c.portSpeed;
        EXPECT_EQ(f.baudRate, c.baud) << where;
        EXPECT_EQ(f.parity, c.parity) << where;
    }
}

TEST(CommStateFor, FixedFieldsLeaveBothModemLinesToTheProgram) {
    const CommStateFields f = CommStateFor({1200, Parity::Odd});
    EXPECT_TRUE(f.binary);
    EXPECT_EQ(f.byteSize, 8);
    EXPECT_EQ(f.stopBits, 0);    // ONESTOPBIT
    EXPECT_EQ(f.dtrControl, 0);  // DTR_CONTROL_DISABLE
    EXPECT_EQ(f.rtsControl, 0);  // RTS_CONTROL_DISABLE
    EXPECT_EQ(f.xonLimit, 600);
    EXPECT_EQ(f.xoffLimit, 600);
}

TEST(LineErrorsFromCommErrors, KeepsTheReceiveErrorsOnly) {
    const struct {
        std::uint32_t ce;
        int lineErrors;
    } cases[] = {
        {0x0000, 0},
        {0x0002, 0x02},  // CE_OVERRUN
        {0x0004, 0x04},  // CE_RXPARITY
        {0x0008, 0x08},  // CE_FRAME
        {0x000E, 0x0E},
        {0x0001, 0x02},  // CE_RXOVER: the input queue lost bytes
        {0x0010, 0x08},  // CE_BREAK
        {0x0100, 0},     // CE_TXFULL
        {0x8000, 0},     // CE_MODE
        {0x8116, 0x02 | 0x04 | 0x08},
    };
    for (const auto& c : cases) EXPECT_EQ(LineErrorsFromCommErrors(c.ce), c.lineErrors) << std::hex << c.ce;
}

}  // namespace
}  // namespace quillon
