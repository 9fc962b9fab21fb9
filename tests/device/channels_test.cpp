#include <gtest/gtest.h>

#include "device/channels.h"
#include "device_test_support.h"
#include "device/menu_items.h"

namespace quillon {
namespace {

using sim::HartReply;
using testing::SimBench;

ChannelDialog Dialog(bool ch1, bool ch2, int main) {
    ChannelDialog d;
    d.channel1Active = ch1;
    d.channel2Active = ch2;
    d.mainChannel = main;
    return d;
}

TEST(ChannelDialog, MainChannelMustBeActive) {
    struct Case {
        ChannelDialog dialog;
        const char* error;  // nullptr: accepted
        std::uint32_t value;
    } cases[] = {
        {Dialog(true, true, 0), nullptr, 0x00000300},
        {Dialog(true, true, 1), nullptr, 0x00000301},
        {Dialog(true, false, 0), nullptr, 0x00000100},
        {Dialog(false, true, 1), nullptr, 0x00000201},
        {Dialog(true, false, 1), "Основной канал 2 (I2C) не активирован!", 0},
        {Dialog(false, true, 0), "Основной канал 1 (АЦП) не активирован!", 0},
        {Dialog(false, false, 0), "Основной канал 1 (АЦП) не активирован!", 0},
    };
    for (const auto& c : cases) {
        const char* error = ChannelDialogError(c.dialog);
        if (c.error == nullptr) {
            EXPECT_EQ(error, nullptr);
            EXPECT_EQ(ChannelConfigValue(c.dialog), c.value);
        } else {
            ASSERT_NE(error, nullptr);
            EXPECT_STREQ(error, c.error);
        }
    }
}

TEST(ChannelDialog, FilledFromTheConfiguration) {
    struct Case {
        std::array<std::uint8_t, 4> config;
        bool ch1, ch2;
        int main;
    } cases[] = {
        {{0, 0x03, 0, 0}, true, true, 0},
        {{1, 0x02, 0, 0}, false, true, 1},
        {{0, 0x01, 0xFF, 0xFF}, true, false, 0},
        {{0, 0xFC, 0, 0}, false, false, 0},
    };
    for (const auto& c : cases) {
        DeviceIdentity id;
        id.channelConfig = c.config;
        for (bool editable : {true, false}) {
            ChannelDialog d;
            FillChannelDialog(id, d, editable);
            EXPECT_EQ(d.caption, editable ? "Выбор каналов" : "Текущие каналы");
            EXPECT_EQ(d.editable, editable);
            EXPECT_EQ(d.channel1Active, c.ch1);
            EXPECT_EQ(d.channel2Active, c.ch2);
            EXPECT_EQ(d.mainChannel, c.main);
        }
    }
    EXPECT_EQ(ChannelConfigFromValue(0x12345301), (std::array<std::uint8_t, 4>{0x01, 0x53, 0x34, 0x12}));
}

struct Rev16 {
    Rev16() {
        b.state.identity.identified = true;
        b.state.identity.softwareRevision = 16;
    }
    SimBench b{"rev16"};
};

TEST(SelectChannelCommand, RefusedChoiceKeepsTheWindowThenWrites) {
    Rev16 t;
    SimBench& b = t.b;
    b.device().profile().settings[33] = 0x00000100;  // channel 1 main, channel 2 off
    std::vector<ChannelDialog> seen;
    b.ui.onDialog<ChannelDialog>("ChannelDialog", [&](ChannelDialog& d) {
        seen.push_back(d);
        d.mainChannel = 1;  // channel 2 as main, but not ticked
        return true;
    });
    b.ui.onDialog<ChannelDialog>("ChannelDialog", [&](ChannelDialog& d) {
        seen.push_back(d);
        d.channel2Active = true;
        return true;
    });
    SelectChannelCommand(b.state);

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, "Выбор каналов");
    EXPECT_TRUE(seen[0].editable);
    EXPECT_TRUE(seen[0].channel1Active);
    EXPECT_FALSE(seen[0].channel2Active);
    EXPECT_EQ(seen[1].mainChannel, 1);  // the same window came back as the user left it
    EXPECT_EQ(b.ui.messageTexts(), (std::vector<std::string>{"Основной канал 2 (I2C) не активирован!",
                                                             "Конфигурация каналов успешно записана!"}));
    EXPECT_EQ(b.device().profile().settings.at(33), 0x00000301u);
    EXPECT_EQ(b.state.identity.channelConfig, (std::array<std::uint8_t, 4>{1, 3, 0, 0}));
    EXPECT_EQ(b.state.identity.selectedChannel, 1);
    EXPECT_TRUE(b.ui.menuVisible.at(menu::SaveId));
    EXPECT_EQ(testing::CountOf(b.ui.progressTexts, "Чтение активных каналов. Попытка 1"), 1);
    EXPECT_EQ(testing::CountOf(b.ui.progressTexts, "Запись конфигурации каналов . 1"), 1);
}

TEST(SelectChannelCommand, BothActiveChannelOneMainIsWrittenAs0x300) {
    Rev16 t;
    SimBench& b = t.b;
    b.device().profile().settings[33] = 0x00000201;
    b.state.identity.selectedChannel = 1;
    b.ui.onDialog<ChannelDialog>("ChannelDialog", [](ChannelDialog& d) {
        d.channel1Active = d.channel2Active = true;
        d.mainChannel = 0;
        return true;
    });
    SelectChannelCommand(b.state);
    EXPECT_EQ(b.device().profile().settings.at(33), 0x00000300u);
    EXPECT_EQ(b.state.identity.selectedChannel, 0);
}

TEST(SelectChannelCommand, FailuresLeaveTheConfigurationAlone) {
    struct Case {
        const char* name;
        std::function<void(SimBench&)> arrange;
        std::vector<std::string> messages;
        bool dialogShown;
    } cases[] = {
        {"write locked, declined",
         [](SimBench& b) { b.device().lock(7); },
         {"Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе датчика. "
          "Повторить попытку?",
          "Конфигурация каналов не записана!"},
         true},
        {"write refused",
         [](SimBench& b) {
             testing::ReplyWith(b, 177, {HartReply{2, {}}});
         },
         {"Неправильный индекс! (Попытка записать параметр с индексом 33)", "Конфигурация каналов не записана!"},
         true},
        {"read too short",
         [](SimBench& b) {
             testing::ReplyWith(b, 176, {HartReply{0, {33}}});
         },
         {"Чтение активных каналов. Ошибка в длине данных ответа!", "Не удалось вычитать конфигурацию каналов!"},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rev16 t;
        SimBench& b = t.b;
        b.state.identity.channelConfig = {0, 3, 0, 0};
        b.state.identity.selectedChannel = 0;
        c.arrange(b);
        b.ui.onDialog<ChannelDialog>("ChannelDialog", [](ChannelDialog& d) {
            d.mainChannel = 1;
            return true;
        });
        SelectChannelCommand(b.state);
        EXPECT_EQ(b.ui.messageTexts(), c.messages);
        EXPECT_EQ(b.ui.dialogsShown.size(), c.dialogShown ? 1u : 0u);
        EXPECT_EQ(b.state.identity.channelConfig, (std::array<std::uint8_t, 4>{0, 3, 0, 0}));
        EXPECT_EQ(b.state.identity.selectedChannel, 0);
    }
}

TEST(SelectChannelCommand, CancelWritesNothing) {
    Rev16 t;
    auto writes = testing::CountRequests(t.b, 177);
    SelectChannelCommand(t.b.state);  // no handler: the window is cancelled
    EXPECT_EQ(*writes, 0);
    EXPECT_TRUE(t.b.ui.messages.empty());
}

TEST(SelectChannelCommand, OtherRevisionsNeverGetSetting33Written) {
    SimBench b("rev14");
    b.state.identity.identified = true;
    b.state.identity.softwareRevision = 14;
    auto reads = testing::CountRequests(b, 176);
    auto writes = testing::CountRequests(b, 177);
    SelectChannelCommand(b.state);
    EXPECT_EQ(*reads + *writes, 0);
    EXPECT_EQ(b.ui.messageTexts(),
              std::vector<std::string>{"Данное устройство не допускает изменение этого параметра!"});
}

}  // namespace
}  // namespace quillon
