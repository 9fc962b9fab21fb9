#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "link/posix/open_error.h"
#include "link/posix/posix_port_system.h"
#include "posix_test_support.h"

namespace quillon {
namespace {

using testing::PtyPair;
using testing::ScopedPortsDirectory;

TEST(PosixOpenError, ErrnoDecidesBetweenMissingBusyForbiddenAndFaulty) {
    struct Case {
        int error;
        OpenFailure kind;
    } cases[] = {
        {0, OpenFailure::None},          {ENOENT, OpenFailure::NotFound},    {ENODEV, OpenFailure::NotFound},
        {ENXIO, OpenFailure::NotFound},  {EBUSY, OpenFailure::Busy},         {EACCES, OpenFailure::AccessDenied},
        {EPERM, OpenFailure::AccessDenied}, {EIO, OpenFailure::Faulty},      {ENOTTY, OpenFailure::Faulty},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyOpenError(c.error), c.kind) << c.error;
}

TEST(PosixOpenError, ForbiddenPortNamesTheDeviceFileAndTheWayIntoItsGroup) {
    struct Case {
        const char* what;
        std::optional<DeviceAccess> access;
        std::vector<std::string> says;
        std::vector<std::string> neverSays;
    } cases[] = {
        {"group may open",
         DeviceAccess{"/dev/ttyUSB0", "dialout", true},
         {"/dev/ttyUSB0", "группе dialout", "sudo usermod -aG dialout $USER", "нового входа"},
         {"/dev/serial", "udev"}},
        {"unusual group",
         DeviceAccess{"/dev/ttyACM3", "plugdev", true},
         {"/dev/ttyACM3", "группе plugdev", "sudo usermod -aG plugdev $USER"},
         {"-aG dialout"}},
        {"group may not open either",
         DeviceAccess{"/dev/ttyUSB1", "root", false},
         {"/dev/ttyUSB1", "группе root", "udev", "GROUP=\"dialout\"", "MODE=\"0660\""},
         {"usermod -aG root"}},
        {"file not readable", std::nullopt, {"/dev/serial/by-id/modem", "dialout", "войдите снова"}, {}},
    };
    for (const auto& c : cases) {
        const std::string text = AccessDeniedText("/dev/serial/by-id/modem", c.access);
        for (const auto& s : c.says) EXPECT_NE(text.find(s), std::string::npos) << c.what << ": " << s << "\n" << text;
        for (const auto& s : c.neverSays) EXPECT_EQ(text.find(s), std::string::npos) << c.what << ": " << s;
    }
}

TEST(PosixOpenError, LinksAreFollowedToTheDeviceFileAndItsGroup) {
    ScopedPortsDirectory folder;
    PtyPair pty;
    ASSERT_FALSE(pty.slavePath.empty());
    const std::string link = folder.path() + "/modem";
    ASSERT_EQ(symlink(pty.slavePath.c_str(), link.c_str()), 0);
    struct stat st {};
    ASSERT_EQ(stat(pty.slavePath.c_str(), &st), 0);
    const auto access = ReadDeviceAccess(link);
    ASSERT_TRUE(access);
    EXPECT_EQ(access->path, pty.slavePath);
    const group* g = getgrgid(st.st_gid);
    EXPECT_EQ(access->group, g ? std::string(g->gr_name) : std::to_string(st.st_gid));
    EXPECT_EQ(access->groupMayOpen, (st.st_mode & 060) == 060);
    EXPECT_FALSE(ReadDeviceAccess(folder.path() + "/never-made"));
}

// A terminal this user may not open, reached through a link as a virtual port
// or a by-id name would be. Root passes any file mode, so as root the open runs
// in a child that has given up root for the nobody user first.
TEST(PosixOpenError, ATerminalTheUserMayNotOpenIsForbiddenNotBusy) {
    ScopedPortsDirectory folder;
    ASSERT_EQ(chmod(folder.path().c_str(), 0755), 0);
    PtyPair pty;
    ASSERT_FALSE(pty.slavePath.empty());
    const std::string link = folder.path() + "/modem";
    ASSERT_EQ(symlink(pty.slavePath.c_str(), link.c_str()), 0);

    const bool root = geteuid() == 0;
    const group* dialout = getgrnam("dialout");
    std::string group;
    if (root && dialout) {
        // As a modem's device file is: its group may read and write, others not.
        ASSERT_EQ(chown(pty.slavePath.c_str(), 0, dialout->gr_gid), 0);
        ASSERT_EQ(chmod(pty.slavePath.c_str(), 0660), 0);
        group = "dialout";
    } else {
        ASSERT_EQ(chmod(pty.slavePath.c_str(), 0), 0);
    }

    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        if (root && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        OpenError error;
        PosixPortSystem system;
        const bool opened = system.open(link, error) != nullptr;
        const std::string report = std::to_string(static_cast<int>(error.kind)) + "\n" + error.text;
        if (write(pipeFds[1], report.data(), report.size()) != static_cast<ssize_t>(report.size())) _exit(4);
        _exit(opened ? 2 : 0);
    }
    close(pipeFds[1]);
    std::string report;
    char chunk[512];
    for (ssize_t n; (n = read(pipeFds[0], chunk, sizeof chunk)) > 0;) report.append(chunk, static_cast<size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "2: opened after all, 3: could not give up root";

    const auto newline = report.find('\n');
    ASSERT_NE(newline, std::string::npos) << report;
    EXPECT_EQ(std::stoi(report.substr(0, newline)), static_cast<int>(OpenFailure::AccessDenied));
    const std::string text = report.substr(newline + 1);
    EXPECT_NE(text.find("порта " + pty.slavePath), std::string::npos) << text;
    if (!group.empty()) {
        EXPECT_NE(text.find("sudo usermod -aG " + group + " $USER"), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace quillon
