#include <gtest/gtest.h>

#include <optional>

#include "device/dialogs.h"
#include "device/identification.h"
#include "device_test_support.h"
#include "device/menu_items.h"

namespace quillon {
namespace {

using sim::HartReply;
using testing::CountOf;
using testing::SimBench;

// A bench whose identity is blank; `shortAddress` is what the user entered.
struct Blank {
    explicit Blank(std::string_view preset, std::uint8_t shortAddress = 0) : b(preset, false) {
        b.state.settings.shortAddress = shortAddress;
    }
    SimBench b;
};

std::vector<std::string> Infos(const testing::ScriptedUi& ui) {
    std::vector<std::string> out;
    for (const auto& m : ui.messages)
        if (m.icon == MessageIcon::Information) out.push_back(m.text);
    return out;
}

TEST(Identification, StoresCommandZeroAndShowsTheIdentity) {
    Blank t("rev6-hw1");
    SimBench& b = t.b;
    b.device().setResponsePreambles(7);
    std::optional<IdentityWindow> shown;
    b.ui.onDialog<IdentityWindow>("IdentityWindow", [&](IdentityWindow& w) {
        shown = w;
        return true;
    });

    ASSERT_TRUE(ensureIdentified(b.state));
    const DeviceIdentity& id = b.state.identity;
    EXPECT_TRUE(id.identified);
    EXPECT_EQ(id.longAddress, (std::array<std::uint8_t, 5>{0x26, 0x16, 0x01, 0x01, 0x20}));
    EXPECT_EQ(id.softwareRevision, 6);
    EXPECT_EQ(id.hardwareRevision, 1);
    EXPECT_EQ(id.deviceRevision, 0);
    EXPECT_EQ(id.responsePreambles, 7);
    EXPECT_TRUE(id.extendedCalibration);
    EXPECT_EQ(id.calibrationPointLimit, 8);

    EXPECT_EQ(b.ui.messageTexts(), std::vector<std::string>{"Длинный адрес устройства 26h 16h 01h 01h 20h"});
    EXPECT_EQ(b.ui.progressTexts.at(1), "Узнаю длинный адрес");
    EXPECT_EQ(b.ui.progressTexts.at(2), "Узнаю длинный адрес. Попытка 1");
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->caption, "Длинный адрес устройства");
    EXPECT_EQ(shown->labels[0], "26h 16h 01h 01h 20h");
    EXPECT_EQ(shown->labels[1], "Software Revision Level : 6.");
    EXPECT_EQ(shown->labels[2], "Device Revision Level : 0.");
    EXPECT_EQ(shown->labels[3], "Hardware Revision Level : 1.");
    EXPECT_FALSE(shown->label5Visible);
    EXPECT_FALSE(b.ui.menuVisible.at(menu::SelectChannelMenu));
    EXPECT_FALSE(b.ui.menuVisible.at(menu::SaveId));
    EXPECT_FALSE(b.ui.mainCaption.empty());
    EXPECT_FALSE(b.ui.progressOpen);

    // Identified: the next command sends nothing and shows nothing.
    const unsigned answered = b.device().answered;
    b.ui.clearRecord();
    EXPECT_TRUE(ensureIdentified(b.state));
    EXPECT_EQ(b.device().answered, answered);
    EXPECT_TRUE(b.ui.events.empty());

    invalidateIdentity(b.state);
    EXPECT_TRUE(ensureIdentified(b.state));
    EXPECT_GT(b.device().answered, answered);
}

TEST(Identification, VariantDerivedValues) {
    struct Case {
        const char* preset;
        int points;
        const char* label5;  // nullptr: hidden
        bool densityMeter;
        int densityKind;
        std::vector<std::string> infos;  // after the long-address message
        bool modbusItem;
        bool firmwareHint;
    } cases[] = {
        {"rev14-d1", 25, "T версии 911 25 точек калибровки", false, 0, {}, false, false},
        {"rev14", 8, "T версии 911 8 точек калибровки", false, 0, {}, false, false},
        {"rev15", 8, "T версии 911 с многотемпературной калибровкой", false, 0, {}, false, false},
        {"rev8", 15, nullptr, false, 0, {}, false, false},
        {"rev11", 15, nullptr, false, 0, {}, false, false},
        {"rev1", 8, nullptr, true, 2, {"Это последняя версия плотномера(Corvane)!"}, false, false},
        {"density5", 8, nullptr, true, 1, {}, false, false},
        {"density7", 8, nullptr, true, 2, {}, false, false},
        {"velkor", 8, nullptr, true, 2, {"Это устройство Velkor, имитирующее плотномер."}, false, false},
        {"rev3-hw1", 8, nullptr, false, 0, {}, false, true},
        {"rev3-hw1-d2", 8, nullptr, false, 0, {}, false, false},
        {"rev3", 8, nullptr, false, 0, {}, false, true},
        {"rev9-hw1", 15, nullptr, false, 0, {}, true, false},
        {"rev9", 15, nullptr, false, 0, {}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.preset);
        SimBench b(c.preset);
        std::optional<IdentityWindow> shown;
        b.ui.onDialog<IdentityWindow>("IdentityWindow", [&](IdentityWindow& w) {
            shown = w;
            return true;
        });
        ASSERT_TRUE(ensureIdentified(b.state));
        const DeviceIdentity& id = b.state.identity;
        EXPECT_EQ(id.calibrationPointCount, c.points);
        EXPECT_EQ(id.calibrationPointLimit, c.points);
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->label5Visible, c.label5 != nullptr);
        if (c.label5) {
            EXPECT_EQ(shown->labels[4], c.label5);
        }
        EXPECT_EQ(id.densityMeter, c.densityMeter);
        EXPECT_EQ(id.densityMeterKind, c.densityKind);
        EXPECT_EQ(b.ui.menuVisible.at(menu::ConstPlotnomerItem), c.densityMeter);
        auto infos = Infos(b.ui);
        ASSERT_FALSE(infos.empty());
        infos.erase(infos.begin());
        EXPECT_EQ(infos, c.infos);
        EXPECT_EQ(b.ui.menuVisible.at(menu::ChangeModbusAddrItem), c.modbusItem);
        EXPECT_EQ(b.ui.statusBarVisible, c.firmwareHint);
        if (c.firmwareHint) {
            EXPECT_EQ(b.ui.statusBarText, "Имеется более новая версия прошивки с исправлениями");
        }
    }
}

TEST(Identification, DensityMeterStaysSetForTheRun) {
    SimBench b("rev1");
    ASSERT_TRUE(ensureIdentified(b.state));
    b.device().profile() = sim::Preset("rev6");
    b.state.settings.shortAddress = 0;
    invalidateIdentity(b.state);
    ASSERT_TRUE(ensureIdentified(b.state));
    EXPECT_EQ(b.state.identity.softwareRevision, 6);
    EXPECT_TRUE(b.state.identity.densityMeter);
}

TEST(Identification, ShortAddressFromTheAnswerOfNewerRevisions) {
    struct Case {
        const char* preset;
        std::uint8_t deviceAddress;
        std::uint8_t expected;
        const char* message;
        MessageIcon icon;
    } cases[] = {
        {"rev14", 5, 5, "Короткий адрес : 5 !", MessageIcon::Information},
        {"rev10", 12, 12, "Короткий адрес : 12 !", MessageIcon::Information},
        {"rev16", 16, 16, "Короткий адрес не был введен!", MessageIcon::Error},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.preset);
        Blank t(c.preset, 16);
        t.b.device().setShortAddress(c.deviceAddress);
        ASSERT_TRUE(ensureIdentified(t.b.state));
        EXPECT_EQ(t.b.state.settings.shortAddress, c.expected);
        ASSERT_GE(t.b.ui.messages.size(), 2u);
        EXPECT_EQ(t.b.ui.messages[1].text, c.message);
        EXPECT_EQ(t.b.ui.messages[1].icon, c.icon);
    }
}

TEST(Identification, ShortAddressFromTheParameterBlock) {
    struct Case {
        const char* preset;
        std::uint16_t index;
        std::vector<std::uint8_t> stored;  // address, check byte
        std::uint8_t expected;
        const char* message;
        MessageIcon icon;
    } cases[] = {
        {"rev8", 3, {7, 0x4A}, 7, "Короткий адрес : 7 !", MessageIcon::Information},
        {"rev8", 3, {70, 70 ^ 0x4D}, 16, "Короткий адрес : 70 !", MessageIcon::Information},
        {"rev8", 3, {7, 0x4B}, 16, "Короткий адрес не был введен!", MessageIcon::Error},
        {"rev6", 3, {3, 3 ^ 0x4D}, 3, "Короткий адрес : 3 !", MessageIcon::Information},
        {"rev11", 100, {9, 9 ^ 0x4D}, 9, "Короткий адрес : 9 !", MessageIcon::Information},
        {"rev3", 100, {2, 2 ^ 0x4D}, 2, "Короткий адрес : 2 !", MessageIcon::Information},
        {"rev3", 100, {0xFF, 0xFF}, 16, "Короткий адрес не был введен!", MessageIcon::Error},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.preset) + " " + std::to_string(c.stored[0]));
        Blank t(c.preset, 16);
        t.b.device().setBlockByte(c.index, c.stored[0]);
        t.b.device().setBlockByte(static_cast<std::uint16_t>(c.index + 1), c.stored[1]);
        ASSERT_TRUE(ensureIdentified(t.b.state));
        EXPECT_EQ(t.b.state.settings.shortAddress, c.expected);
        ASSERT_EQ(t.b.ui.messages.size(), 2u);
        EXPECT_EQ(t.b.ui.messages[1].text, c.message);
        EXPECT_EQ(t.b.ui.messages[1].icon, c.icon);
        EXPECT_EQ(CountOf(t.b.ui.progressTexts, "Узнаю короткий адрес"), 1);
    }
}

TEST(Identification, ShortAddressDiscoveryOnlyWhenNoneEntered) {
    for (const char* preset : {"rev7", "rev4", "rev8"}) {
        SCOPED_TRACE(preset);
        Blank t(preset, preset == std::string("rev8") ? 0 : 16);
        auto blockReads = testing::CountRequests(t.b, 191);
        ASSERT_TRUE(ensureIdentified(t.b.state));
        EXPECT_EQ(*blockReads, 0);
        EXPECT_EQ(t.b.ui.messages.size(), 1u);
    }
}

TEST(Identification, ShortAddressBlockUnreadableOrShort) {
    {
        Blank t("rev9", 16);
        testing::NeverAnswer(t.b, 191);
        ASSERT_TRUE(ensureIdentified(t.b.state));  // identification itself still succeeds
        EXPECT_EQ(t.b.ui.messageTexts().back(), "Не удалось сосчитать параметры измерений!");
        EXPECT_EQ(t.b.state.settings.shortAddress, 16);
    }
    {
        // One data byte: there is no check byte to trust, whatever the buffer held before.
        Blank t("rev9", 16);
        testing::ReplyWith(t.b, 191, {HartReply{0, {7}}});
        t.b.state.buffer.response.fill(0x4A);
        ASSERT_TRUE(ensureIdentified(t.b.state));
        EXPECT_EQ(t.b.ui.messageTexts().back(), "Короткий адрес не был введен!");
        EXPECT_EQ(t.b.state.settings.shortAddress, 16);
    }
}

TEST(Identification, FailureAfterFiveAttemptsOrOnEsc) {
    {
        Blank t("rev6");
        t.b.faults().set(sim::Fault::NoAnswer, true);
        EXPECT_FALSE(ensureIdentified(t.b.state));
        EXPECT_EQ(t.b.ui.progressTexts.back(), "Узнаю длинный адрес. Попытка 5");
        EXPECT_EQ(t.b.ui.messageTexts(), std::vector<std::string>{"Не могу узнать длинный адрес!"});
        EXPECT_EQ(CountOf(t.b.ui.dialogsShown, "IdentityWindow"), 0);
        EXPECT_EQ(t.b.state.identity.softwareRevision, 255);
    }
    {
        Blank t("rev6");
        t.b.faults().set(sim::Fault::NoAnswer, true);
        testing::EscDuring(t.b, "Узнаю длинный адрес. Попытка 2");
        EXPECT_FALSE(ensureIdentified(t.b.state));
        EXPECT_EQ(t.b.ui.progressTexts.back(), "Узнаю длинный адрес. Попытка 2");
        EXPECT_EQ(t.b.ui.messageTexts(), std::vector<std::string>{"Не могу узнать длинный адрес!"});
    }
}

TEST(Identification, AnswerTooShortForAnIdentityIsNoIdentity) {
    Blank t("rev14");
    // Eleven data bytes: the device id would come from beyond the answer.
    testing::ReplyWith(t.b, 0, {HartReply{0, {254, 0x26, 0x1E, 5, 5, 0, 14, 0x20, 0, 1, 2}}});
    EXPECT_FALSE(ensureIdentified(t.b.state));
    EXPECT_EQ(CountOf(t.b.ui.progressTexts, "Узнаю длинный адрес. Попытка 5"), 1);
    EXPECT_EQ(t.b.ui.messageTexts(), std::vector<std::string>{"Не могу узнать длинный адрес!"});
    EXPECT_FALSE(t.b.state.identity.identified);
    EXPECT_EQ(t.b.state.identity.softwareRevision, 255);
}

TEST(Identification, Revision16ReadsTheChannelsAndShowsThem) {
    struct Case {
        std::uint32_t setting;
        int selected;
        bool saveId;
        bool ch1, ch2;
    } cases[] = {
        {0x00000300, 0, true, true, true}, {0x00000201, 1, true, false, true}, {0x00000100, 0, false, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        SimBench b("rev16");
        b.device().profile().settings[33] = c.setting;
        b.state.identity.selectedChannel = 1 - c.selected;
        std::optional<ChannelDialog> channels;
        b.ui.onDialog<ChannelDialog>("ChannelDialog", [&](ChannelDialog& d) {
            channels = d;
            return true;
        });
        ASSERT_TRUE(ensureIdentified(b.state));
        const DeviceIdentity& id = b.state.identity;
        EXPECT_EQ(id.channelConfig, (std::array<std::uint8_t, 4>{static_cast<std::uint8_t>(c.setting),
                                                                 static_cast<std::uint8_t>(c.setting >> 8), 0, 0}));
        EXPECT_EQ(id.selectedChannel, c.selected);
        EXPECT_EQ(id.calibrationPointCount, 25);
        EXPECT_TRUE(b.ui.menuVisible.at(menu::SelectChannelMenu));
        EXPECT_EQ(b.ui.menuVisible.at(menu::SaveId), c.saveId);
        EXPECT_EQ(b.ui.dialogsShown, (std::vector<std::string>{"ChannelDialog", "IdentityWindow"}));
        ASSERT_TRUE(channels);
        EXPECT_EQ(channels->caption, "Текущие каналы");
        EXPECT_FALSE(channels->editable);
        EXPECT_EQ(channels->channel1Active, c.ch1);
        EXPECT_EQ(channels->channel2Active, c.ch2);
        EXPECT_EQ(channels->mainChannel, c.selected);
        EXPECT_EQ(CountOf(b.ui.progressTexts, "Чтение активных каналов. Попытка 1"), 1);
    }
}

TEST(Identification, Revision16ChannelReadFailureEndsIdentification) {
    struct Case {
        const char* name;
        std::function<void(SimBench&)> arrange;
        std::vector<std::string> messages;  // after the long-address message
    } cases[] = {
        {"too short",
         [](SimBench& b) {
             testing::ReplyWith(b, 176, {HartReply{0, {33, 3}}});
         },
         {"Чтение активных каналов. Ошибка в длине данных ответа!", "Не удалось вычитать конфигурацию каналов!"}},
        {"stopped",
         [](SimBench& b) {
             testing::NeverAnswer(b, 176);
             testing::EscDuring(b, "Чтение активных каналов. Попытка 3");
         },
         {"Чтение активных каналов. Не могу прочитать!", "Не удалось вычитать конфигурацию каналов!"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimBench b("rev16");
        c.arrange(b);
        EXPECT_FALSE(ensureIdentified(b.state));
        EXPECT_FALSE(b.state.identity.identified);
        auto texts = b.ui.messageTexts();
        ASSERT_FALSE(texts.empty());
        texts.erase(texts.begin());
        EXPECT_EQ(texts, c.messages);
        EXPECT_TRUE(b.ui.dialogsShown.empty());
        EXPECT_FALSE(b.ui.progressOpen);
    }
}

TEST(Identification, SensorIdReadForDevicesThatHaveOne) {
    SimBench b("rev13-d1");
    ASSERT_TRUE(ensureIdentified(b.state));
    EXPECT_TRUE(b.state.identity.sensorIdKnown);
    EXPECT_EQ(b.state.identity.sensorId, (std::array<std::uint8_t, 8>{0x28, 0xFF, 0x4C, 0x19, 0x63, 0x16, 0x03, 0x5A}));
    EXPECT_EQ(b.ui.messageTexts().back(), "ID сенсора подключенного датчика = 28h FFh 4Ch 19h 63h 16h 03h 5Ah");
    EXPECT_FALSE(b.ui.menuVisible.at(menu::SaveId));

    SimBench plain("rev13");
    auto reads = testing::CountRequests(plain, 220);
    ASSERT_TRUE(ensureIdentified(plain.state));
    EXPECT_EQ(*reads, 0);
    EXPECT_FALSE(plain.state.identity.sensorIdKnown);
}

}  // namespace
}  // namespace quillon
