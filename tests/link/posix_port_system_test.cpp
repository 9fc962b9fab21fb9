#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "link/posix/port_discovery.h"
#include "link/posix/posix_port_system.h"
#include "link/posix/pty_detect.h"
#include "link/posix/virtual_ports.h"
#include "posix_test_support.h"

namespace quillon {
namespace {

using testing::PtyPair;
using testing::ScopedPortsDirectory;

// A made-up /sys/class/tty: entry name, whether it has a parent device, and
// the serial-core "type" attribute ("" = none).
struct FakeTty {
    const char* name;
    bool device;
    const char* type;
};

void MakeFakeSysfs(const std::string& root, std::initializer_list<FakeTty> ttys) {
    mkdir(root.c_str(), 0700);
    for (const auto& t : ttys) {
        const std::string dir = root + "/" + t.name;
        mkdir(dir.c_str(), 0700);
        if (t.device) {
            EXPECT_EQ(symlink("../../devices/platform/serial8250", (dir + "/device").c_str()), 0);
        }
        if (*t.type) std::ofstream(dir + "/type") << t.type << "\n";
    }
}

TEST(PosixPortSystem, ListsSerialHardwareThenVirtualPortsInNaturalOrder) {
    ScopedPortsDirectory ports;
    const std::string sysfs = ports.path() + "/sysfs";
    const std::string dev = ports.path() + "/dev";  // no device files: nothing gets probed successfully
    mkdir(dev.c_str(), 0700);
    MakeFakeSysfs(sysfs, {
                             {"console", false, ""},
                             {"tty5", false, ""},
                             {"ptmx", false, ""},
                             {"ttyS0", true, "4"},
                             {"ttyS1", true, "0"},  // a legacy placeholder without a UART
                             {"ttyS31", true, "0"},
                             {"ttyAMA0", true, "0"},  // serial core, nothing behind it
                             {"ttyUSB10", true, ""},
                             {"ttyUSB2", true, ""},
                             {"ttyACM0", true, ""},
                             {"rfcomm0", false, ""},
                         });
    const std::string virtualDir = ports.path() + "/virtual";
    setenv("QUILLON_PORTS_DIR", virtualDir.c_str(), 1);
    PtyPair pty;
    ASSERT_FALSE(RegisterVirtualPort("devsim10", pty.slavePath).empty());
    ASSERT_FALSE(RegisterVirtualPort("devsim2", pty.slavePath).empty());

    PosixPortSystem system(sysfs, dev);
    const std::vector<std::string> expected{
        dev + "/rfcomm0",  dev + "/ttyACM0",        dev + "/ttyS0",           dev + "/ttyUSB2",
        dev + "/ttyUSB10", virtualDir + "/devsim2", virtualDir + "/devsim10",
    };
    EXPECT_EQ(system.candidates(), expected);
}

TEST(PosixPortSystem, OpenReportsWhyAPortCannotBeUsed) {
    ScopedPortsDirectory ports;
    PtyPair pty;
    const std::string good = RegisterVirtualPort("devsim", pty.slavePath);
    const std::string dangling = RegisterVirtualPort("gone", "/dev/pts/does-not-exist");
    const std::string plainFile = ports.path() + "/notes";
    std::ofstream(plainFile) << "not a terminal\n";
    ASSERT_FALSE(good.empty());
    ASSERT_FALSE(dangling.empty());

    PosixPortSystem system;
    OpenError error;
    auto port = system.open(good, error);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(error.kind, OpenFailure::None);

    struct Case {
        std::string path;
        OpenFailure kind;
    } cases[] = {
        {good, OpenFailure::Busy},  // still open above: the port is not shared
        {dangling, OpenFailure::NotFound},
        {ports.path() + "/never-made", OpenFailure::NotFound},
        {plainFile, OpenFailure::Faulty},
    };
    for (const auto& c : cases) {
        error = {};
        EXPECT_EQ(system.open(c.path, error), nullptr) << c.path;
        EXPECT_EQ(error.kind, c.kind) << c.path;
        EXPECT_FALSE(error.text.empty()) << c.path;
    }
}

TEST(PosixPortSystem, NaturalOrderCountsNumbersByValue) {
    struct Case {
        const char* a;
        const char* b;
        bool less;
    } cases[] = {
        {"ttyUSB2", "ttyUSB10", true},
        {"ttyUSB10", "ttyUSB2", false},
        {"ttyS0", "ttyUSB0", true},
        {"ttyS9", "ttyS10", true},
        {"ttyS1", "ttyS1", false},
        {"tty", "tty0", true},
        {"a007", "a7", true},
        {"a7", "a007", false},
        {"a99999999999999999999", "a100000000000000000000", true},
    };
    for (const auto& c : cases) EXPECT_EQ(NaturalNameLess(c.a, c.b), c.less) << c.a << " < " << c.b;
}

TEST(PosixVirtualPorts, FolderComesFromOverrideThenRuntimeDirectoryThenTmp) {
    ScopedPortsDirectory scoped;  // restores QUILLON_PORTS_DIR afterwards
    const char* oldRuntime = getenv("XDG_RUNTIME_DIR");
    const std::string savedRuntime = oldRuntime ? oldRuntime : "";
    const std::string uid = std::to_string(getuid());
    struct Case {
        const char* override;
        const char* runtime;
        std::string expected;
    } cases[] = {
        {"/x/ports", "/run/user/7", "/x/ports"},          {nullptr, "/run/user/7", "/run/user/7/quillon-ports"},
        {"", "/run/user/7", "/run/user/7/quillon-ports"}, {nullptr, nullptr, "/tmp/quillon-ports-" + uid},
        {nullptr, "", "/tmp/quillon-ports-" + uid},
    };
    for (const auto& c : cases) {
        c.override ? setenv("QUILLON_PORTS_DIR", c.override, 1) : unsetenv("QUILLON_PORTS_DIR");
        c.runtime ? setenv("XDG_RUNTIME_DIR", c.runtime, 1) : unsetenv("XDG_RUNTIME_DIR");
        EXPECT_EQ(VirtualPortsDirectory(), c.expected);
    }
    oldRuntime ? setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1) : unsetenv("XDG_RUNTIME_DIR");
}

TEST(PosixVirtualPorts, RegisterCreatesAPrivateFolderAndReplacesLinks) {
    ScopedPortsDirectory scoped;
    const std::string folder = scoped.path() + "/ports";
    setenv("QUILLON_PORTS_DIR", folder.c_str(), 1);

    const std::string path = RegisterVirtualPort("devsim", "/dev/pts/7");
    EXPECT_EQ(path, folder + "/devsim");
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    EXPECT_EQ(RegisterVirtualPort("devsim", "/dev/pts/8"), path);
    char target[64] = {};
    ASSERT_GT(readlink(path.c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "/dev/pts/8");
    EXPECT_EQ(VirtualPortPaths(folder), std::vector<std::string>{path}) << "no leftover temporary links";

    for (const char* bad : {"", ".", "..", "../escape", "a/b", ".hidden"})
        EXPECT_EQ(RegisterVirtualPort(bad, "/dev/pts/7"), "") << bad;

    const std::string plainFile = folder + "/notes";
    std::ofstream(plainFile) << "x";
    UnregisterVirtualPort(plainFile);
    UnregisterVirtualPort(path);
    EXPECT_EQ(access(plainFile.c_str(), F_OK), 0) << "only links are removed";
    EXPECT_EQ(VirtualPortPaths(folder), std::vector<std::string>{plainFile});
}

TEST(PosixVirtualPorts, AFolderOthersCanWriteIsIgnored) {
    ScopedPortsDirectory scoped;
    ASSERT_FALSE(RegisterVirtualPort("devsim", "/dev/pts/7").empty());
    ASSERT_EQ(chmod(scoped.path().c_str(), 0777), 0);
    EXPECT_TRUE(VirtualPortPaths(scoped.path()).empty());
    EXPECT_EQ(RegisterVirtualPort("other", "/dev/pts/7"), "");
}

TEST(PosixPtyDetection, DriversTableNamesThePseudoTerminalDevices) {
    const std::string table =
        "/dev/tty             /dev/tty        5       0 system:/dev/tty\n"
        "/dev/ptmx            /dev/ptmx       5       2 system\n"
        "serial               /dev/ttyS       4 64-111 serial\n"
        "pty_slave            /dev/pts      136 0-1048575 pty:slave\n"
        "pty_master           /dev/ptm      128 0-1048575 pty:master\n"
        "usbserial            /dev/ttyUSB   188 0-511 serial\n";
    struct Case {
        unsigned major;
        unsigned minor;
        bool pty;
    } cases[] = {
        {136, 0, true},  {136, 4711, true}, {128, 3, true},  {4, 64, false},
        {188, 0, false}, {5, 2, false},     {137, 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DriversTableMarksPty(table, c.major, c.minor), c.pty) << c.major << ":" << c.minor;

    PtyPair pty;
    EXPECT_TRUE(IsPseudoTerminal(pty.slave));
    const int null = open("/dev/null", O_RDONLY);
    EXPECT_FALSE(IsPseudoTerminal(null));
    close(null);
}

}  // namespace
}  // namespace quillon
