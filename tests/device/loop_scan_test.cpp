#include "device/loop_scan.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/multidrop_line.h"
#include "support/sim_fixture.h"

namespace quillon {
namespace {

using testing::SimBench;

// The bench's own device (rev6 at address 0) and a second one on the same line.
struct TwoDeviceLine {
    explicit TwoDeviceLine(std::uint8_t secondAddress = 5, const char* secondPreset = "rev14")
        : second(sim::Preset(secondPreset)), secondEnd(second) {
        second.setShortAddress(secondAddress);
        second.setTag("TT-102");
        line.add(b.endpoint());
        line.add(secondEnd);
        b.line().setEndpoint(line);
        b.state.settings.shortAddress = 9;
        b.state.identity.longAddress = {1, 2, 3, 4, 5};
        b.state.identity.identified = true;
    }
    SimBench b{"rev6"};
    sim::SimDevice second;
    sim::DeviceEndpoint secondEnd;
    sim::MultiDropLine line;
};

std::size_t IdentifyRequestsTo(const sim::SimLine& line, std::uint8_t address) {
    std::size_t n = 0;
    for (const auto& w : line.written) {
        // 9 preambles, then 02 <address> 00 00 <check>.
        if (w.size() == 14 && w[9] == 0x02 && (w[10] & 0x3F) == address && w[11] == 0) ++n;
    }
    return n;
}

TEST(LoopScan, FindsBothDevicesOnOneLine) {
    TwoDeviceLine t;
    LoopScanDialog d;
    RunLoopScan(t.b.state, d);
    EXPECT_FALSE(d.stopped);
    ASSERT_EQ(d.rows.size(), 2u);
    const LoopScanRow& first = d.rows[0];
    EXPECT_EQ(first.shortAddress, 0);
    EXPECT_EQ(LoopScanLongAddressText(first), "26h 16h 01h 00h 20h");
    EXPECT_EQ(first.softwareRevision, 6);
    EXPECT_EQ(first.variant,
              "ПО 6, точек калибровки 8; стандартные команды; код производителя 26h, тип устройства 16h, HART 5");
    EXPECT_EQ(first.tag, "QUILLON SIM");
    const LoopScanRow& second = d.rows[1];
    EXPECT_EQ(second.shortAddress, 5);
    EXPECT_EQ(second.softwareRevision, 14);
    EXPECT_EQ(second.hardwareRevision, 0x20);
    EXPECT_EQ(LoopScanRevisionsText(second), "ПО 14, устр. 0, апп. 32, униф. 5");
    EXPECT_EQ(second.variant,
              "T версии 911 8 точек калибровки; стандартные команды; код производителя 26h, тип устройства 1Eh, HART 5");
    EXPECT_EQ(second.tag, "TT-102");
    EXPECT_EQ(d.progressText, "Поиск завершён, найдено устройств: 2");
    // What the scan borrowed is back.
    EXPECT_EQ(t.b.state.settings.shortAddress, 9);
    EXPECT_EQ(t.b.state.identity.longAddress, (std::array<std::uint8_t, 5>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(t.b.state.identity.identified);
}

// A device of another maker is listed with its maker and type, and the
// engineer's list of further own devices is honoured.
TEST(LoopScan, ListsTheMakerOfEveryDevice) {
    for (const char* ownDevices : {"", "F9:F99C"}) {
        TwoDeviceLine t(5, "foreign");
        t.b.state.settings.ownDevices = ownDevices;
        const Result<std::vector<LoopScanRow>> r = ScanLoop(t.b.state, false);
        ASSERT_TRUE(r.done());
        ASSERT_EQ(r.value.size(), 2u);
        const LoopScanRow& foreign = r.value[1];
        EXPECT_EQ(foreign.manufacturerId, 0xF9);
        EXPECT_EQ(foreign.deviceType, 0xF99C);
        EXPECT_EQ(foreign.tag, "TT-102");
        if (*ownDevices == 0) {
            EXPECT_FALSE(foreign.ownMake);
            EXPECT_EQ(foreign.variant,
                      "Устройство другого производителя: код производителя F9h, тип устройства F99Ch, HART 7");
        } else {
            EXPECT_TRUE(foreign.ownMake);
            EXPECT_NE(foreign.variant.find("; код производителя F9h, тип устройства F99Ch, HART 7"), std::string::npos)
                << foreign.variant;
        }
        EXPECT_TRUE(r.value[0].ownMake);
    }
}

TEST(LoopScan, SilentAddressGetsOneTryBoundedByTheSlaveTimeOut) {
    TwoDeviceLine t;
    ASSERT_EQ(t.b.state.settings.firstByteWait, 1000);  // the user's wait is far longer than a device may take
    LoopScanDialog d;
    std::vector<std::int64_t> startedUs;
    d.changed = [&] {
        if (d.running && static_cast<std::size_t>(d.progressDone) == startedUs.size())
            startedUs.push_back(t.b.clock.nowUs());
    };
    RunLoopScan(t.b.state, d);
    startedUs.push_back(t.b.clock.nowUs());
    ASSERT_EQ(startedUs.size(), 17u);
    // The request on the wire (14 bytes at 1200 baud, 128 ms), the slave
    // time-out with its margin (300 ms), and after every third silent
    // exchange the wake-up of a silent line ("sk" at 300 to 3200 baud, 131 ms).
    const std::int64_t limitUs = (128 + 300 + 140) * 1000LL;
    for (std::size_t a = 1; a < 16; ++a) {
        if (a == 5) continue;
        EXPECT_LE(startedUs[a + 1] - startedUs[a], limitUs) << a;
        EXPECT_EQ(IdentifyRequestsTo(t.b.line(), static_cast<std::uint8_t>(a)), 1u) << a;
    }
    EXPECT_EQ(IdentifyRequestsTo(t.b.line(), 0), 1u);
    EXPECT_EQ(IdentifyRequestsTo(t.b.line(), 5), 1u);
    EXPECT_EQ(t.b.state.settings.firstByteWait, 1000);  // lent to the scan only
}

TEST(LoopScan, OnlyAGarbledAnswerIsTriedAgain) {
    struct Case {
        sim::Fault fault;
        bool persistent;
        std::size_t requests;
        bool found;
    };
    const Case cases[] = {
        {sim::Fault::None, false, 1, true},
        {sim::Fault::NoAnswer, false, 1, false},  // heard but silent: as good as absent
        {sim::Fault::WrongCheckByte, false, 2, true},
        {sim::Fault::CutShort, false, 2, true},
        {sim::Fault::NoiseBeforeStart, false, 1, true},  // noise ahead of a good answer needs no retry
        {sim::Fault::WrongCheckByte, true, static_cast<std::size_t>(kLoopScanAttempts), false},
    };
    for (const auto& c : cases) {
        TwoDeviceLine t;
        t.secondEnd.faults().set(c.fault, c.persistent);
        LoopScanDialog d;
        RunLoopScan(t.b.state, d);
        const std::string label = std::string(sim::FaultName(c.fault)) + (c.persistent ? " always" : " once");
        EXPECT_EQ(IdentifyRequestsTo(t.b.line(), 5), c.requests) << label;
        EXPECT_EQ(d.rows.size(), c.found ? 2u : 1u) << label;
        EXPECT_EQ(IdentifyRequestsTo(t.b.line(), 6), 1u) << label;
    }
}

TEST(LoopScan, WideRangeReachesAddressesAboveFifteen) {
    TwoDeviceLine t(40);
    LoopScanDialog narrow;
    RunLoopScan(t.b.state, narrow);
    EXPECT_EQ(narrow.rows.size(), 1u);
    LoopScanDialog wide;
    wide.wideRange = true;
    RunLoopScan(t.b.state, wide);
    ASSERT_EQ(wide.rows.size(), 2u);
    EXPECT_EQ(wide.rows[1].shortAddress, 40);
}

TEST(LoopScan, EscStopsTheScan) {
    TwoDeviceLine t;
    LoopScanDialog d;
    d.changed = [&] {
        if (d.running && d.progressDone == 2) t.b.ui.onProcessEvents = [&] { t.b.state.flags.stopRequested = true; };
    };
    RunLoopScan(t.b.state, d);
    EXPECT_TRUE(d.stopped);
    EXPECT_EQ(d.rows.size(), 1u);
    EXPECT_EQ(IdentifyRequestsTo(t.b.line(), 3), 0u);
    EXPECT_EQ(d.progressText, "Поиск прерван, найдено устройств: 1");
    EXPECT_EQ(t.b.state.settings.shortAddress, 9);
}

TEST(LoopScan, ChoosingARowMakesItsAddressCurrent) {
    TwoDeviceLine t;
    t.b.ui.onDialog<LoopScanDialog>([](LoopScanDialog& d) {
        d.scan(d);
        d.selectedRow = 1;
        return true;
    });
    LoopScanCommand(t.b.state);
    EXPECT_EQ(t.b.state.settings.shortAddress, 5);
    EXPECT_FALSE(t.b.state.identity.identified);
    EXPECT_NE(t.b.ui.mainCaption.find("Адрес 5"), std::string::npos) << t.b.ui.mainCaption;
    // The port bracket closed the port again.
    EXPECT_FALSE(PortIsOpen(t.b.state));
}

TEST(LoopScan, ClosingWithoutAChoiceChangesNothing) {
    TwoDeviceLine t;
    t.b.ui.onDialog<LoopScanDialog>([](LoopScanDialog& d) {
        d.scan(d);
        d.selectedRow = 0;
        return false;
    });
    LoopScanCommand(t.b.state);
    EXPECT_EQ(t.b.state.settings.shortAddress, 9);
    EXPECT_TRUE(t.b.state.identity.identified);
}

}  // namespace
}  // namespace quillon
