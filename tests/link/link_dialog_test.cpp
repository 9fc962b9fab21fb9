#include <gtest/gtest.h>

#include "app/app_state.h"
#include "link/link_dialog.h"
#include "link/link_dialog_rules.h"
#include "link/link_test_support.h"
#include "link/main_caption.h"
#include "link/serial_link.h"
#include "link/settings_store.h"
#include "sim/virtual_clock.h"
#include "support/scripted_ui.h"

namespace quillon {
namespace {

using testing::TempFolder;

constexpr const char* kDigits = "Введены неправильные цифры!";
constexpr const char* kFirstInfo = "Неправильная информация при вводе ожидания первого байта!";
constexpr const char* kFirstRange = "Неправильный диапазон при вводе ожидания первого байта!";
constexpr const char* kNextInfo = "Неправильная информация при вводе ожидания следующего байта!";
constexpr const char* kNextRange = "Неправильный диапазон при вводе ожидания следующего байта!";
constexpr const char* kBrentaWarning =
    "При связи через Brenta время ожидания первого байта ответа желательно установить не менее 7000 мс! "
    "Иначе можно не дождаться ответа.";

class LinkDialogTest : public ::testing::Test {
protected:
    LinkDialogTest() {
        ports.present = {"/dev/ttyS0", "/dev/ttyUSB0"};
        ScanPorts(s);
        s.identity.identified = true;
        s.identity.sensorIdKnown = true;
    }
    void onDialog(std::function<bool(LinkDialog&)> handler) { ui.onDialog<LinkDialog>("LinkDialog", handler); }
    void run() { ApplyLinkDialog(s, path); }
    int shows() const { return static_cast<int>(ui.dialogsShown.size()); }

    TempFolder folder;
    std::string path = folder.file("Quillon.ini");
    testing::ScriptedUi ui;
    testing::FakePorts ports;
    sim::VirtualClock clock;
    AppState s{ui, ports, clock};
};

TEST_F(LinkDialogTest, ShowsTheSettingsAndCloseChangesNothing) {
    LinkSettings& st = s.settings;
    st.shortAddress = 5;
    st.linkType = 1;
    st.portIndex = 2;
    st.firstByteWait = 8000;
    st.nextByteWait = 400;
    st.tunnelPassword = "\xCF\xE0\xF0\xEE\xEB\xFC";  // "Пароль" in Windows-1251
    st.tunnelUserId = "\xDE\xC7";                    // "ЮЗ"
    st.tunnelAddress = 12;
    st.souMode = true;
    st.tunnelRequestFormat = 1;
    st.tunnelLine = 3;
    st.portSpeedIndex = 9;
    st.resultFileEnabled = true;
    st.resultFileName = "poll.ctr";
    const LinkSettings before = st;

    LinkDialog seen;
    onDialog([&](LinkDialog& d) {
        seen = d;
        return false;
    });
    run();
    EXPECT_EQ(seen.caption, "Ввод параметров связи с датчиком");
    EXPECT_EQ(seen.portItems, (std::vector<std::string>{"Не выбран", "ttyS0", "ttyUSB0"}));
    EXPECT_EQ(seen.portIndex, 2);
    EXPECT_EQ(seen.shortAddressText, "5");
    EXPECT_EQ(seen.firstByteText, "8000");
    EXPECT_EQ(seen.nextByteText, "400");
    EXPECT_EQ(seen.password, "Пароль");
    EXPECT_EQ(seen.userId, "ЮЗ");
    EXPECT_EQ(seen.linkType, 1);
    EXPECT_EQ(seen.tunnelAddress, 12);
    EXPECT_TRUE(seen.souMode);
    EXPECT_EQ(seen.requestFormat, 1);
    EXPECT_EQ(seen.tunnelLine, 3);
    EXPECT_EQ(seen.portSpeedIndex, 9);
    EXPECT_TRUE(seen.writeFile);
    EXPECT_EQ(seen.fileName, "poll.ctr");

    EXPECT_EQ(st.firstByteWait, before.firstByteWait);
    EXPECT_EQ(st.tunnelPassword, before.tunnelPassword);
    EXPECT_EQ(st.portIndex, 2);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(s.identity.identified);
}

TEST_F(LinkDialogTest, EachBadEntryShowsItsMessageAndTheDialogComesBack) {
    struct Case {
        const char* shortAddress;
        const char* first;
        const char* next;
        const char* message;  // nullptr: shown again without a word
    } cases[] = {
        {"abc", "1000", "300", kDigits},         {"1.5", "1000", "300", kDigits}, {"", "1000", "300", kDigits},
        {"99999999999", "1000", "300", kDigits}, {"17", "1000", "300", nullptr},  {"-1", "1000", "300", nullptr},
        {"1", "x", "300", kFirstInfo},           {"1", "", "300", kFirstInfo},    {"1", "399", "300", kFirstRange},
        {"1", "10001", "300", kFirstRange},      {"1", "1000", "3o0", kNextInfo}, {"1", "1000", "299", kNextRange},
        {"1", "1000", "5001", kNextRange},
    };
    for (const auto& c : cases) {
        ui.clearRecord();
        s.settings = LinkSettings{};
        LinkDialog reshown;
        onDialog([&](LinkDialog& d) {
            d.shortAddressText = c.shortAddress;
            d.firstByteText = c.first;
            d.nextByteText = c.next;
            return true;
        });
        onDialog([&](LinkDialog& d) {
            reshown = d;
            return false;
        });
        run();
        EXPECT_EQ(shows(), 2) << c.shortAddress << " " << c.first << " " << c.next;
        EXPECT_EQ(reshown.shortAddressText, c.shortAddress) << "the user's entries come back";
        EXPECT_EQ(reshown.nextByteText, c.next);
        if (c.message) {
            ASSERT_EQ(ui.messages.size(), 1u) << c.message;
            EXPECT_EQ(ui.messages[0].text, c.message);
            EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
            EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
        } else {
            EXPECT_TRUE(ui.messages.empty()) << c.shortAddress;
        }
        EXPECT_EQ(s.settings.firstByteWait, 1000) << "nothing is taken over before all entries pass";
    }
}

TEST_F(LinkDialogTest, EntriesAreCheckedInOrderOneMessageAtATime) {
    onDialog([](LinkDialog& d) {
        d.shortAddressText = "x";
        d.firstByteText = "y";
        d.nextByteText = "z";
        return true;
    });
    onDialog([](LinkDialog& d) {
        d.shortAddressText = " 16 ";
        return true;
    });
    onDialog([](LinkDialog& d) {
        d.firstByteText = "10000";
        return true;
    });
    onDialog([](LinkDialog& d) {
        d.nextByteText = "5000";
        return true;
    });
    run();
    EXPECT_EQ(shows(), 4);
    EXPECT_EQ(ui.messageTexts(), (std::vector<std::string>{kDigits, kFirstInfo, kNextInfo}));
    EXPECT_EQ(s.settings.shortAddress, 16);
    EXPECT_EQ(s.settings.firstByteWait, 10000);
    EXPECT_EQ(s.settings.nextByteWait, 5000);
}

TEST_F(LinkDialogTest, ShortAddressSixteenIsAcceptedSeventeenSilentlyReopens) {
    onDialog([](LinkDialog& d) {
        d.shortAddressText = "17";
        return true;
    });
    onDialog([](LinkDialog& d) {
        EXPECT_EQ(d.shortAddressText, "17");
        d.shortAddressText = "16";
        return true;
    });
    run();
    EXPECT_EQ(shows(), 2);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(s.settings.shortAddress, 16);
    // Identification starts by forgetting the sensor identifier, so this is all it takes.
    EXPECT_FALSE(s.identity.identified) << "a new address may be another device";
    EXPECT_EQ(ui.mainCaption, "Обслуживание датчиков температуры. Порт не выбран. Адрес 16");
}

TEST_F(LinkDialogTest, SameShortAddressKeepsTheIdentification) {
    onDialog([](LinkDialog&) { return true; });
    run();
    EXPECT_TRUE(s.identity.identified);
    EXPECT_TRUE(s.identity.sensorIdKnown);
}

TEST_F(LinkDialogTest, BrentaLinkWithAShortFirstWaitWarnsOnceAndKeepsTheValue) {
    struct Case {
        int linkType;
        const char* first;
        bool warned;
    } cases[] = {{1, "5000", true}, {1, "6999", true}, {1, "7000", false}, {0, "400", false}};
    for (const auto& c : cases) {
        ui.clearRecord();
        onDialog([&](LinkDialog& d) {
            d.linkType = c.linkType;
            d.firstByteText = c.first;
            return true;
        });
        run();
        EXPECT_EQ(shows(), 1);
        EXPECT_EQ(s.settings.firstByteWait, std::stoi(c.first));
        if (c.warned) {
            ASSERT_EQ(ui.messages.size(), 1u) << c.first;
            EXPECT_EQ(ui.messages[0].text, kBrentaWarning);
            EXPECT_EQ(ui.messages[0].icon, MessageIcon::Warning);
            EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
        } else {
            EXPECT_TRUE(ui.messages.empty()) << c.first;
        }
    }
}

TEST_F(LinkDialogTest, TakesEverythingOverReopensThePortSavesAndClosesIt) {
    s.settings.tunnelUserId = "ab";
    onDialog([](LinkDialog& d) {
        d.shortAddressText = "3";
        d.firstByteText = "7500";
        d.nextByteText = "600";
        d.linkType = 1;
        d.hartSpeedIndex = 4;
        d.portSpeedIndex = 11;
        d.portIndex = 2;
        d.masterAddress = 1;
        d.tunnelAddress = 200;
        d.souMode = false;
        d.password = "ПарольПарольПарольXX";  // 20 characters
        d.userId = "zzzz";                    // ignored without SOU
        d.requestFormat = 1;
        d.tunnelLine = 2;
        d.writeFile = true;
        d.fileName = "out.ctr";
        return true;
    });
    run();
    const LinkSettings& st = s.settings;
    EXPECT_EQ(st.shortAddress, 3);
    EXPECT_EQ(st.firstByteWait, 7500);
    EXPECT_EQ(st.nextByteWait, 600);
    EXPECT_EQ(st.linkType, 1);
    EXPECT_EQ(st.hartSpeedIndex, 4);
    EXPECT_EQ(st.portSpeedIndex, 11);
    EXPECT_EQ(st.portIndex, 2);
    EXPECT_EQ(st.masterAddress, 1);
    EXPECT_EQ(st.tunnelAddress, 200);
    EXPECT_EQ(st.tunnelPassword, "\xCF\xE0\xF0\xEE\xEB\xFC\xCF\xE0\xF0\xEE\xEB\xFC\xCF\xE0\xF0\xEE");
    EXPECT_EQ(st.tunnelUserId, "ab") << "the user ID is only taken with SOU";
    EXPECT_EQ(st.tunnelRequestFormat, 1);
    EXPECT_EQ(st.tunnelLine, 2);
    EXPECT_TRUE(st.resultFileEnabled);
    EXPECT_EQ(st.resultFileName, "out.ctr");

    EXPECT_EQ(ports.opened.back(), "/dev/ttyUSB0");
    EXPECT_FALSE(PortIsOpen(s));
    EXPECT_EQ(ui.mainCaption, "Обслуживание датчиков температуры. Порт ttyUSB0. Адрес 3");

    s.settings = LinkSettings{};
    LoadSettings(s, path, folder.path());
    EXPECT_EQ(s.settings.tunnelPassword.size(), 16u);
    EXPECT_EQ(s.settings.portIndex, 2);
    EXPECT_EQ(s.settings.firstByteWait, 7500);
}

TEST_F(LinkDialogTest, WithSouThePasswordKeepsTwelveAndTheUserIdFour) {
    onDialog([](LinkDialog& d) {
        d.souMode = true;
        d.password = "123456789012345";
        d.userId = "ЮзерИД";
        return true;
    });
    run();
    EXPECT_EQ(s.settings.tunnelPassword, "123456789012");
    EXPECT_EQ(s.settings.tunnelUserId, "\xDE\xE7\xE5\xF0");
}

TEST_F(LinkDialogTest, OutOfRangeChoicesFromTheFormAreNotTakenLiterally) {
    onDialog([](LinkDialog& d) {
        d.portIndex = 7;
        d.tunnelAddress = 300;
        return true;
    });
    run();
    EXPECT_EQ(s.settings.portIndex, 0);
    EXPECT_EQ(s.settings.tunnelAddress, 255);
}

TEST_F(LinkDialogTest, TheChosenPortIsFollowedByNameWhenThePortsChange) {
    s.settings.portIndex = 2;  // /dev/ttyUSB0
    ports.present = {"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB0"};
    int shownIndex = -1;
    onDialog([&](LinkDialog& d) {
        shownIndex = d.portIndex;
        return false;
    });
    run();
    EXPECT_EQ(shownIndex, 3);
    EXPECT_EQ(s.settings.portIndex, 3);

    ports.present = {"/dev/ttyS0"};
    onDialog([&](LinkDialog& d) {
        shownIndex = d.portIndex;
        return false;
    });
    run();
    EXPECT_EQ(shownIndex, 0);
    EXPECT_EQ(s.settings.portIndex, 0);
    EXPECT_EQ(ui.mainCaption, "Обслуживание датчиков температуры. Порт не выбран. Адрес 1");
}

TEST_F(LinkDialogTest, ALinkTypeWithoutAnItemShowsNoneSelected) {
    s.settings.linkType = 2;
    int shown = 0;
    onDialog([&](LinkDialog& d) {
        shown = d.linkType;
        return false;
    });
    run();
    EXPECT_EQ(shown, -1);
}

TEST_F(LinkDialogTest, IdentityIsForgottenWhenRequestsGoSomewhereElse) {
    struct Case {
        const char* field;
        void (*change)(LinkDialog&);
        bool forgotten;
    } cases[] = {
        {"nothing", [](LinkDialog&) {}, false},
        {"port", [](LinkDialog& d) { d.portIndex = 2; }, true},
        {"no port", [](LinkDialog& d) { d.portIndex = 0; }, true},
        {"link type", [](LinkDialog& d) { d.linkType = 1; }, true},
        {"HART speed", [](LinkDialog& d) { d.hartSpeedIndex = 2; }, true},
        {"port speed", [](LinkDialog& d) { d.portSpeedIndex = 11; }, true},
        {"flow-computer address", [](LinkDialog& d) { d.tunnelAddress = 7; }, true},
        {"line", [](LinkDialog& d) { d.tunnelLine = 3; }, true},
        {"request format", [](LinkDialog& d) { d.requestFormat = 1; }, true},
        {"short address", [](LinkDialog& d) { d.shortAddressText = "4"; }, true},
        // Neither changes which device answers.
        {"master bit", [](LinkDialog& d) { d.masterAddress = 1; }, false},
        {"waits", [](LinkDialog& d) { d.firstByteText = "2000"; }, false},
        {"password", [](LinkDialog& d) { d.password = "new"; }, false},
        {"result file", [](LinkDialog& d) { d.writeFile = true; }, false},
    };
    for (const auto& c : cases) {
        s.settings = LinkSettings{};
        s.settings.portIndex = 1;
        s.identity.identified = true;
        onDialog([&](LinkDialog& d) {
            c.change(d);
            return true;
        });
        run();
        EXPECT_EQ(s.identity.identified, !c.forgotten) << c.field;
    }
}

TEST_F(LinkDialogTest, AChoiceTheFormCannotShowIsKeptOnOk) {
    // The form reports -1 for a radio group with no item selected.
    s.settings.linkType = 2;
    s.settings.portSpeedIndex = 20;
    s.settings.hartSpeedIndex = 5;
    onDialog([](LinkDialog& d) {
        EXPECT_EQ(d.linkType, -1);
        d.portSpeedIndex = -1;
        d.hartSpeedIndex = -1;
        d.masterAddress = -1;
        d.requestFormat = -1;
        d.tunnelLine = -1;
        return true;
    });
    run();
    EXPECT_EQ(s.settings.linkType, 2);
    EXPECT_EQ(s.settings.portSpeedIndex, 20);
    EXPECT_EQ(s.settings.hartSpeedIndex, 5);
    EXPECT_EQ(s.settings.masterAddress, 0);
    EXPECT_EQ(s.settings.tunnelRequestFormat, 0);
    EXPECT_EQ(s.settings.tunnelLine, 0);
    EXPECT_TRUE(s.identity.identified) << "nothing was chosen, so nothing moved";

    s.settings = LinkSettings{};
    LoadSettings(s, path, folder.path());
    EXPECT_EQ(s.settings.linkType, 2);
    EXPECT_EQ(s.settings.portSpeedIndex, 20);
}

TEST(LinkDialogVisibility, FollowsLinkTypeFormatSouAndFileTick) {
    struct Case {
        int linkType, requestFormat;
        bool sou, writeFile;
        bool hartSpeed, comPort, delays, brenta, numLine, userId;
        int passwordMax;
        bool fileControls;
    } cases[] = {
        {0, 0, false, false, true, true, true, false, false, false, 16, false},
        {1, 0, false, true, false, true, true, true, false, false, 16, true},
        {1, 1, true, false, false, true, true, true, true, true, 12, false},
        {-1, 1, false, false, false, false, false, false, true, false, 16, false},
        {2, 0, true, true, false, false, false, false, false, true, 12, true},
    };
    for (const auto& c : cases) {
        LinkDialog d;
        d.linkType = c.linkType;
        d.requestFormat = c.requestFormat;
        d.souMode = c.sou;
        d.writeFile = c.writeFile;
        const auto v = LinkDialogVisibilityFor(d);
        const auto row = ::testing::Message() << "type " << c.linkType << " format " << c.requestFormat;
        EXPECT_EQ(v.hartSpeed, c.hartSpeed) << row;
        EXPECT_EQ(v.comPort, c.comPort) << row;
        EXPECT_EQ(v.delays, c.delays) << row;
        EXPECT_EQ(v.brenta, c.brenta) << row;
        EXPECT_EQ(v.numLine, c.numLine) << row;
        EXPECT_EQ(v.userId, c.userId) << row;
        EXPECT_EQ(v.passwordMaxLength, c.passwordMax) << row;
        EXPECT_EQ(v.fileControlsEnabled, c.fileControls) << row;
    }
}

TEST(MainCaption, ShowsThePortByItsOwnNameOrNoneAndTheAddress) {
    testing::ScriptedUi ui;
    testing::FakePorts ports;
    sim::VirtualClock clock;
    AppState s{ui, ports, clock};
    ports.present = {"/dev/ttyS0", "/run/user/1000/quillon/ports/devsim"};
    ScanPorts(s);
    struct Case {
        int portIndex;
        int shortAddress;
        const char* caption;
    } cases[] = {
        {0, 1, "Обслуживание датчиков температуры. Порт не выбран. Адрес 1"},
        {1, 0, "Обслуживание датчиков температуры. Порт ttyS0. Адрес 0"},
        {2, 16, "Обслуживание датчиков температуры. Порт devsim. Адрес 16"},
        {5, 3, "Обслуживание датчиков температуры. Порт не выбран. Адрес 3"},
    };
    for (const auto& c : cases) {
        s.settings.portIndex = c.portIndex;
        s.settings.shortAddress = static_cast<std::uint8_t>(c.shortAddress);
        UpdateMainCaption(s);
        EXPECT_EQ(ui.mainCaption, c.caption);
    }
    EXPECT_EQ(s.settings.portIndex, 0) << "an index beyond the list falls back to no port";
}

}  // namespace
}  // namespace quillon
