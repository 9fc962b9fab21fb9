#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "link/file_access.h"
#include "link/link_test_support.h"
#include "link/settings_store.h"
#include "link/win32/settings_location.h"
#include "link/win32/system_error_text.h"
#include "link/win32/wide_text.h"
#include "link/win32/win32_port_system.h"

namespace quillon {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

TEST(Win32SystemErrorText, IsTheSystemsOneLineText) {
    for (std::uint32_t code : {2u, 5u, 31u}) {
        const std::string text = SystemErrorText(code);
        EXPECT_FALSE(text.empty()) << code;
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << code << ": " << text;
    }
}

TEST(Win32PortSystem, NamesThatAreNoPortsAreNotFound) {
    Win32PortSystem ports;
    for (const char* name : {"COM255", "LPT1", "", "ttyS0", "COM0"}) {
        OpenError error;
        EXPECT_EQ(ports.open(name, error), nullptr) << name;
        EXPECT_EQ(error.kind, OpenFailure::NotFound) << name;
        EXPECT_FALSE(error.text.empty()) << name;
    }
    for (const auto& name : ports.candidates()) EXPECT_EQ(name.rfind("COM", 0), 0u) << name;
}

TEST(Win32SettingsLocation, AdoptsTheFileOfAnOlderInstallationOnce) {
    TempFolder folder;
    const std::string local = folder.file("local");
    const std::string windows = folder.file("windows");
    std::filesystem::create_directories(local + "/VirtualStore/Windows");
    std::filesystem::create_directories(windows);
    const auto where = [&] { return SettingsFileIn(WideFromUtf8(local), WideFromUtf8(windows)); };
    const std::string expected = local + "\\Quillon\\Quillon.ini";

    // Nothing anywhere: the folder is made, the file is left to the first save.
    EXPECT_EQ(where(), expected);
    EXPECT_TRUE(std::filesystem::is_directory(local + "/Quillon"));
    EXPECT_FALSE(std::filesystem::exists(expected));

    // The Windows folder's file is taken when nothing better is there ...
    WriteFileBytes(windows + "/Quillon.ini", "[ini_dir_section]\r\nshort_addr=3\r\n");
    EXPECT_EQ(where(), expected);
    EXPECT_EQ(ReadFileBytes(expected), "[ini_dir_section]\r\nshort_addr=3\r\n");
    EXPECT_TRUE(std::filesystem::exists(windows + "/Quillon.ini")) << "the old file stays";

    // ... the redirected copy, which held the older program's last writes, first ...
    std::filesystem::remove(expected);
    WriteFileBytes(local + "/VirtualStore/Windows/Quillon.ini", "[ini_dir_section]\r\nshort_addr=5\r\n");
    EXPECT_EQ(where(), expected);
    EXPECT_EQ(ReadFileBytes(expected), "[ini_dir_section]\r\nshort_addr=5\r\n");

    // ... and never over a file of this installation.
    WriteFileBytes(expected, "mine");
    EXPECT_EQ(where(), expected);
    EXPECT_EQ(ReadFileBytes(expected), "mine");
}

TEST(Win32FileAccess, ReplacesWholeFilesAndRefusesFolders) {
    TempFolder folder;
    const std::string path = folder.file("a.ini");
    std::string error;
    ASSERT_TRUE(ReplaceSmallFile(path, "one", 0600, error)) << error;
    ASSERT_TRUE(ReplaceSmallFile(path, "two\r\n", 0600, error)) << error;
    std::string content;
    EXPECT_EQ(ReadSmallFile(path, 100, content, error), SmallFileRead::Read);
    EXPECT_EQ(content, "two\r\n");
    EXPECT_EQ(testing::FolderEntries(folder.path()), std::vector<std::string>{"a.ini"});

    EXPECT_EQ(ReadSmallFile(path, 3, content, error), SmallFileRead::Failed) << "over the size limit";
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadSmallFile(folder.file("none.ini"), 100, content, error), SmallFileRead::Missing);
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(ReadSmallFile(folder.path(), 100, content, error), SmallFileRead::Failed) << "a folder";
    EXPECT_FALSE(ReplaceSmallFile(folder.file("no/such/x.ini"), "x", 0600, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace quillon
