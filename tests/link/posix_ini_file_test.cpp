#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "link/ini_file.h"
#include "link/link_test_support.h"

// What an INI file save does with file modes, links and special files.
namespace quillon {
namespace {

using testing::FolderEntries;
using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

TEST(IniFile, SaveReplacesAtomicallyAndLeavesNoTemporaryFile) {
    TempFolder folder;
    const auto path = folder.file("Quillon.ini");
    WriteFileBytes(path, "[s]\nold=1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    IniFile ini(path);
    ini.WriteString("s", "new", "2");
    std::string error;
    ASSERT_TRUE(ini.Save(error)) << error;
    EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{"Quillon.ini"});
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino) << "a new file is renamed into place, not the old one rewritten";
    EXPECT_EQ(after.st_mode & 07777, 0640u);

    IniFile fresh(folder.file("secret.ini"));
    fresh.setNewFileMode(0600);
    fresh.WriteString("s", "k", "v");
    ASSERT_TRUE(fresh.Save(error)) << error;
    ASSERT_EQ(::stat(folder.file("secret.ini").c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0600u);
}

TEST(IniFile, SaveThroughASymbolicLinkReplacesTheTargetAndKeepsTheLink) {
    TempFolder folder;
    WriteFileBytes(folder.file("real.ini"), "[s]\nk=1\n");
    ASSERT_EQ(::symlink("real.ini", folder.file("link.ini").c_str()), 0);
    IniFile ini(folder.file("link.ini"));
    ini.WriteString("s", "k", "2");
    std::string error;
    ASSERT_TRUE(ini.Save(error)) << error;
    struct stat info {};
    ASSERT_EQ(::lstat(folder.file("link.ini").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadFileBytes(folder.file("real.ini")), "[s]\nk=2\n");
}

TEST(IniFile, AFifoInPlaceOfTheFileNeitherHangsNorIsReplaced) {
    TempFolder folder;
    const auto path = folder.file("fifo.ini");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    IniFile ini(path);
    EXPECT_NE(ini.loadError(), "");
    std::string error;
    EXPECT_FALSE(ini.Save(error));
}

}  // namespace
}  // namespace quillon
