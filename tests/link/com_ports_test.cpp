#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "link/com_ports.h"

namespace quillon {
namespace {

TEST(ComPortNumber, ReadsNamesAndDevicePathsAndRejectsEverythingElse) {
    const struct {
        const char* name;
        std::optional<int> number;
    } cases[] = {
        {"COM1", 1},
        {"COM3", 3},
        {"com12", 12},
        {"Com255", 255},
        {"\\\\.\\COM10", 10},
        {"\\\\.\\com7", 7},
        {"COM0", std::nullopt},
        {"COM", std::nullopt},
        {"COM256", std::nullopt},
        {"COM03", std::nullopt},
        {"COM3 ", std::nullopt},
        {"COM3a", std::nullopt},
        {"LPT1", std::nullopt},
        {"CNCA0", std::nullopt},
        {"", std::nullopt},
        {"COM-1", std::nullopt},
        {"COM1000", std::nullopt},
        {"/dev/ttyS0", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ComPortNumber(c.name), c.number) << c.name;
}

TEST(ComDevicePath, WorksForNumbersAboveNine) {
    EXPECT_EQ(ComDevicePath(1), "\\\\.\\COM1");
    EXPECT_EQ(ComDevicePath(10), "\\\\.\\COM10");
    EXPECT_EQ(ComDevicePath(255), "\\\\.\\COM255");
    EXPECT_EQ(ComPortNumber(ComDevicePath(123)), 123);
}

TEST(OrderedComPorts, CountsByNumberListsEachPortOnceAndDropsOtherDevices) {
    // What the registry map and the DOS device names might give together.
    const std::vector<std::string> listed{"COM10",  "COM2", "LPT1", "com2", "COM1", "PhysicalDrive0",
                                          "COM100", "COM9", "NUL",  "COM2", "COM0"};
    EXPECT_EQ(OrderedComPorts(listed), (std::vector<std::string>{"COM1", "COM2", "COM9", "COM10", "COM100"}));
    EXPECT_TRUE(OrderedComPorts({}).empty());
}

TEST(ClassifyComOpenError, BusyAndFaultyPortsStillExist) {
    const struct {
        std::uint32_t error;
        OpenFailure kind;
    } cases[] = {
        {0, OpenFailure::None},        {5, OpenFailure::Busy},     {31, OpenFailure::Faulty},
        {2, OpenFailure::NotFound},    {3, OpenFailure::NotFound}, {123, OpenFailure::NotFound},
        {1168, OpenFailure::NotFound},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyComOpenError(c.error), c.kind) << c.error;
}

}  // namespace
}  // namespace quillon
