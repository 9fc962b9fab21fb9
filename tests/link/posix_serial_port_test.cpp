#include <gtest/gtest.h>
#include <sys/wait.h>
#include <termios.h>

#include <chrono>
#include <thread>

#include "link/exchange_buffer.h"
#include "link/posix/line_check.h"
#include "link/posix/posix_serial_port.h"
#include "link/posix/steady_clock.h"
#include "link/line_settings.h"
#include "link/posix/raw_line.h"
#include "posix_test_support.h"

namespace quillon {
namespace {

using testing::ElapsedMs;
using testing::PtyPair;
using testing::ThreadCpuMs;

std::unique_ptr<PosixSerialPort> OpenSlave(const PtyPair& pty) {
    int error = 0;
    auto port = PosixSerialPort::Open(pty.slavePath, error);
    EXPECT_NE(port, nullptr) << pty.slavePath << ": " << error;
    return port;
}

// Reads until `count` bytes are in, or a second passes.
std::vector<std::uint8_t> ReadPort(SerialPort& port, std::size_t count) {
    std::vector<std::uint8_t> bytes;
    const auto start = std::chrono::steady_clock::now();
    while (bytes.size() < count && ElapsedMs(start) < 1000) {
        std::uint8_t chunk[64];
        const long n = port.read(chunk, sizeof chunk);
        if (n > 0)
            bytes.insert(bytes.end(), chunk, chunk + n);
        else
            port.waitForInput(20);
    }
    return bytes;
}

// A pseudo-terminal never damages a byte. Switching its marking off behind the
// port's back lets the marks the master writes arrive as a UART would send them.
void PassMarksThrough(const PtyPair& pty) {
    termios t{};
    ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
    t.c_iflag &= ~static_cast<tcflag_t>(PARMRK);
    ASSERT_EQ(tcsetattr(pty.slave, TCSANOW, &t), 0);
}

TEST(PosixSerialPort, EveryLinkRateIsAcceptedOnAPseudoTerminalAndAgainAfterReopening) {
    // Direct-link and tunnel rates, the odd ones needing arbitrary-rate support.
    const std::uint32_t rates[] = {300,  600,  1200,  2400,  3200,  3600,  4800,  6400,
                                   7200, 9600, 14400, 19200, 28800, 38400, 57600, 115200};
    PtyPair pty;
    ASSERT_FALSE(pty.slavePath.empty());
    for (const Parity parity : {Parity::Odd, Parity::None}) {
        for (const std::uint32_t baud : rates) {
            // The second round is the one that used to fail: nothing but the
            // dropped parity differs from what the terminal already holds.
            for (int round = 0; round < 2; ++round) {
                auto port = OpenSlave(pty);
                ASSERT_NE(port, nullptr);
                EXPECT_TRUE(port->isPseudoTerminal());
                EXPECT_TRUE(port->configure({baud, parity})) << baud << " parity " << (parity == Parity::Odd)
                                                             << " round " << round << ": " << port->lastErrorText();
                RawLineState state;
                ASSERT_EQ(ReadRawLine(pty.slave, state), 0);
                EXPECT_EQ(state.outputBaud, baud);
                EXPECT_EQ(state.inputBaud, baud);
                EXPECT_TRUE(state.eightDataBits);
                EXPECT_FALSE(state.twoStopBits);
            }
        }
    }
}

TEST(PosixSerialPort, RefusesARealPortThatDoesNotKeepItsLineSettings) {
    auto held = [](std::uint32_t baud, bool parity) {
        RawLineState s;
        s.inputBaud = s.outputBaud = baud;
        s.eightDataBits = true;
        s.parity = s.oddParity = parity;
        return s;
    };
    const RawLineRequest odd1200{1200, true, true};
    const RawLineRequest none28800{28800, false, true};
    RawLineState twoStops = held(1200, true);
    twoStops.twoStopBits = true;
    RawLineState sevenBits = held(1200, true);
    sevenBits.eightDataBits = false;
    RawLineState handshake = held(1200, true);
    handshake.hardwareFlowControl = true;
    RawLineState evenParity = held(1200, true);
    evenParity.oddParity = false;
    RawLineState splitRates = held(1200, true);
    splitRates.inputBaud = 9600;
    struct Case {
        const char* what;
        RawLineState state;
        RawLineRequest request;
        bool pty;
        bool holds;
    } cases[] = {
        {"exact", held(1200, true), odd1200, false, true},
        {"parity dropped by a real port", held(1200, false), odd1200, false, false},
        {"parity dropped by a pseudo-terminal", held(1200, false), odd1200, true, true},
        {"parity added by a real port", held(28800, true), none28800, false, false},
        {"even instead of odd", evenParity, odd1200, false, false},
        {"rate rounded by the divisor", held(28846, false), none28800, false, true},
        {"rate the driver cannot reach", held(38400, false), none28800, false, false},
        {"rate not kept even on a pseudo-terminal", held(9600, false), odd1200, true, false},
        {"input rate differs", splitRates, odd1200, false, false},
        {"two stop bits", twoStops, odd1200, false, false},
        {"seven data bits", sevenBits, odd1200, true, false},
        {"hardware handshake", handshake, odd1200, false, false},
    };
    for (const auto& c : cases) EXPECT_EQ(LineHolds(c.state, c.request, c.pty), c.holds) << c.what;
}

TEST(PosixSerialPort, IsExclusiveWhileOpenAndFreeAfterClosing) {
    PtyPair pty;
    auto first = OpenSlave(pty);
    ASSERT_NE(first, nullptr);
    int error = 0;
    EXPECT_EQ(PosixSerialPort::Open(pty.slavePath, error), nullptr);
    EXPECT_EQ(error, EBUSY);
    first.reset();
    EXPECT_NE(PosixSerialPort::Open(pty.slavePath, error), nullptr);
}

TEST(PosixSerialPort, AHolderThatDiedWithoutClosingDoesNotLockThePortOut) {
    PtyPair pty;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int error = 0;
        auto port = PosixSerialPort::Open(pty.slavePath, error);
        _exit(port ? 0 : 1);  // no destructor runs, as in a crash
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    int error = 0;
    EXPECT_NE(PosixSerialPort::Open(pty.slavePath, error), nullptr) << error;
}

TEST(PosixSerialPort, CarriesEveryByteValueBothWays) {
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    // 0xFF matters most: with error marking on, the terminal doubles it.
    all.insert(all.end(), {0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x41});
    for (const Parity parity : {Parity::Odd, Parity::None}) {
        PtyPair pty;
        auto port = OpenSlave(pty);
        ASSERT_NE(port, nullptr);
        ASSERT_TRUE(port->configure({19200, parity}));

        ASSERT_TRUE(pty.writeMaster(all));
        EXPECT_EQ(ReadPort(*port, all.size()), all) << "parity " << (parity == Parity::Odd);
        EXPECT_EQ(port->takeLineErrors(), 0);

        ASSERT_TRUE(port->write(all.data(), all.size()));
        EXPECT_EQ(pty.readMaster(all.size()), all);
    }
}

TEST(PosixSerialPort, MarkedByteStopsTheReadAndIsReportedOnce) {
    PtyPair pty;
    auto port = OpenSlave(pty);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->configure({1200, Parity::Odd}));
    PassMarksThrough(pty);

    ASSERT_TRUE(pty.writeMaster({0x06, 0x83, 0xFF, 0x00, 0x41, 0xFF, 0xFF, 0x07}));
    port->waitForInput(500);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));

    std::uint8_t bytes[16];
    ASSERT_EQ(port->read(bytes, sizeof bytes), 2);
    EXPECT_EQ(bytes[0], 0x06);
    EXPECT_EQ(bytes[1], 0x83);
    EXPECT_EQ(port->read(bytes, sizeof bytes), -1);
    EXPECT_EQ(port->read(bytes, sizeof bytes), -1) << "stays failed until the errors are taken";
    EXPECT_EQ(port->takeLineErrors(), kLineParity);
    ASSERT_EQ(port->read(bytes, sizeof bytes), 3) << "the damaged byte and the rest follow";
    EXPECT_EQ(bytes[0], 0x41);
    EXPECT_EQ(bytes[1], 0xFF);
    EXPECT_EQ(bytes[2], 0x07);
    EXPECT_EQ(port->takeLineErrors(), 0);
}

TEST(PosixSerialPort, PurgeOfTheReceiveSideDropsWaitingBytesAndHalfMarks) {
    PtyPair pty;
    auto port = OpenSlave(pty);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->configure({9600, Parity::Odd}));
    PassMarksThrough(pty);
    ASSERT_TRUE(pty.writeMaster({0x01, 0x02, 0xFF, 0x00}));  // ends inside a mark
    port->waitForInput(500);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::uint8_t bytes[16];
    ASSERT_EQ(port->read(bytes, 1), 1);
    port->purge(false, true);
    EXPECT_EQ(port->read(bytes, sizeof bytes), 0);
    ASSERT_TRUE(pty.writeMaster({0x05}));
    EXPECT_EQ(ReadPort(*port, 1), std::vector<std::uint8_t>{0x05});
    EXPECT_EQ(port->takeLineErrors(), 0) << "the purged half mark must not damage the next byte";
}

TEST(PosixSerialPort, ModemLinesOnAPseudoTerminalAreQuietlyAbsent) {
    PtyPair pty;
    auto port = OpenSlave(pty);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->configure({1200, Parity::Odd}));
    port->setDtr(true);
    port->setRts(true);
    port->setRts(false);
    port->purge(true, true);
    EXPECT_EQ(port->lastErrorText(), "");
}

// A pseudo-terminal has no RTS control of its own: the tool times the drop
// itself, after the frame's wire time, with or without real-time scheduling.
TEST(PosixSerialPort, KeyedSendWithoutDriverRtsWaitsTheWireTime) {
    for (const bool realTime : {false, true}) {
        PtyPair pty;
        auto port = OpenSlave(pty);
        ASSERT_NE(port, nullptr);
        ASSERT_TRUE(port->configure({19200, Parity::None}));
        EXPECT_FALSE(port->driverKeysRts());
        port->setRtsTiming({realTime, true});
        EXPECT_FALSE(port->driverKeysRts());
        SteadyClock clock;
        const std::vector<std::uint8_t> frame{0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x82};
        const std::int64_t wire = TransmissionTicks(frame.size(), {19200, Parity::None}, clock.counterFrequency());
        const std::int64_t start = clock.counter();
        const std::int64_t lateness = port->sendKeyed(frame.data(), frame.size(), wire, clock);
        EXPECT_GE(clock.counter() - start, wire);
        EXPECT_GT(lateness, 0);
        EXPECT_EQ(pty.readMaster(frame.size()), frame);
        EXPECT_EQ(port->lastErrorText(), "");
    }
}

TEST(PosixSerialPort, WaitForInputEndsWhenBytesArriveOrAtTheTimeout) {
    PtyPair pty;
    auto port = OpenSlave(pty);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->configure({38400, Parity::None}));

    auto start = std::chrono::steady_clock::now();
    port->waitForInput(100);
    const double quiet = ElapsedMs(start);
    EXPECT_GE(quiet, 95.0);
    EXPECT_LT(quiet, 1000.0);

    std::thread device([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pty.writeMaster({0x86});
    });
    start = std::chrono::steady_clock::now();
    const double cpuBefore = ThreadCpuMs();
    port->waitForInput(3000);
    const double early = ElapsedMs(start);
    const double cpu = ThreadCpuMs() - cpuBefore;
    device.join();
    EXPECT_GE(early, 40.0);
    EXPECT_LT(early, 1500.0);
    EXPECT_LT(cpu, 20.0) << "the wait must sleep, not spin";
    EXPECT_EQ(ReadPort(*port, 1), std::vector<std::uint8_t>{0x86});
}

TEST(PosixSerialPort, HungUpTerminalDoesNotTurnTheReceiveLoopIntoASpin) {
    PtyPair pty;
    auto port = OpenSlave(pty);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->configure({1200, Parity::Odd}));
    pty.closeMaster();
    close(pty.slave);  // only the port's own handle is left
    pty.slave = -1;

    // The receive loop: read, and wait in slices when nothing came.
    const auto start = std::chrono::steady_clock::now();
    const double cpuBefore = ThreadCpuMs();
    int reads = 0;
    while (ElapsedMs(start) < 200) {
        std::uint8_t bytes[16];
        const long n = port->read(bytes, sizeof bytes);
        ++reads;
        if (n < 0) port->takeLineErrors();
        if (n <= 0) port->waitForInput(10);
    }
    EXPECT_LT(reads, 100) << "a spinning loop reads thousands of times";
    EXPECT_LT(ThreadCpuMs() - cpuBefore, 50.0);
}

}  // namespace
}  // namespace quillon
