#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <sstream>

#include "app/app_state.h"
#include "link/link_dialog.h"
#include "link/link_test_support.h"
#include "link/main_caption.h"
#include "link/serial_link.h"
#include "link/settings_store.h"
#include "sim/virtual_clock.h"
#include "support/scripted_ui.h"

namespace quillon {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

class SettingsStore : public ::testing::Test {
protected:
    SettingsStore() {
        ports.present = {"/dev/ttyS0", "/dev/ttyUSB0"};
        ScanPorts(s);
    }

    void load(const std::string& content) {
        WriteFileBytes(path, content);
        LoadSettings(s, path, folder.path());
    }
    void load() { LoadSettings(s, path, folder.path()); }

    // Key names of the settings section in file order.
    std::vector<std::string> keysInFile() const {
        std::vector<std::string> keys;
        std::istringstream in(ReadFileBytes(path));
        for (std::string line; std::getline(in, line);)
            if (auto eq = line.find('='); eq != std::string::npos) keys.push_back(line.substr(0, eq));
        return keys;
    }
    std::string fileText() const { return ReadFileBytes(path); }

    TempFolder folder;
    std::string path = folder.file("Quillon.ini");
    testing::ScriptedUi ui;
    testing::FakePorts ports;
    sim::VirtualClock clock;
    AppState s{ui, ports, clock};
};

TEST_F(SettingsStore, MissingFileGivesTheDefaultsSilently) {
    s.settings.linkType = 1;
    s.settings.tunnelPassword = "old";
    load();
    const LinkSettings defaults;
    const LinkSettings& st = s.settings;
    EXPECT_EQ(st.linkType, defaults.linkType);
    EXPECT_EQ(st.portIndex, 0);
    EXPECT_EQ(st.hartSpeedIndex, 0);
    EXPECT_EQ(st.portSpeedIndex, 0);
    EXPECT_EQ(st.masterAddress, 0);
    EXPECT_EQ(st.firstByteWait, 1000);
    EXPECT_EQ(st.nextByteWait, 300);
    EXPECT_EQ(st.tunnelAddress, 255);
    EXPECT_EQ(st.shortAddress, 1);
    EXPECT_FALSE(st.souMode);
    EXPECT_EQ(st.tunnelRequestFormat, 0);
    EXPECT_EQ(st.tunnelLine, 0);
    EXPECT_EQ(st.tunnelPassword, "");
    EXPECT_EQ(st.tunnelUserId, "");
    EXPECT_EQ(st.resultFileName, "prot.ctr");
    EXPECT_EQ(st.settingsDirectory, folder.path());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SettingsStore, LoadTimeCorrectionsOfEachKey) {
    struct Case {
        const char* lines;
        std::function<int(const LinkSettings&)> field;
        int expected;
    } cases[] = {
        {"type_connect=2", [](auto& st) { return st.linkType; }, 2},
        {"type_connect=3", [](auto& st) { return st.linkType; }, 0},
        {"type_connect=-1", [](auto& st) { return st.linkType; }, 0},
        {"num_port=2", [](auto& st) { return st.portIndex; }, 2},
        {"num_port=3", [](auto& st) { return st.portIndex; }, 0},
        {"num_port=-1", [](auto& st) { return st.portIndex; }, 0},
        {"hart_speed=5", [](auto& st) { return st.hartSpeedIndex; }, 5},
        {"hart_speed=6", [](auto& st) { return st.hartSpeedIndex; }, 0},
        {"MasterAddr=1", [](auto& st) { return st.masterAddress; }, 1},
        {"masteraddr=2", [](auto& st) { return st.masterAddress; }, 0},
        {"speed=-1", [](auto& st) { return st.portSpeedIndex; }, 2},
        {"speed=99", [](auto& st) { return st.portSpeedIndex; }, 99},
        {"first_byte_wait=10", [](auto& st) { return st.firstByteWait; }, 10},
        {"first_byte_wait=9", [](auto& st) { return st.firstByteWait; }, 1000},
        {"first_byte_wait=10001", [](auto& st) { return st.firstByteWait; }, 1000},
        {"next_byte_wait=7\nfirst_byte_wait=5000", [](auto& st) { return st.nextByteWait; }, 300},
        {"next_byte_wait=7\nfirst_byte_wait=5000", [](auto& st) { return st.firstByteWait; }, 5000},
        {"next_byte_wait=5000", [](auto& st) { return st.nextByteWait; }, 5000},
        {"next_byte_wait=5001", [](auto& st) { return st.nextByteWait; }, 300},
        {"fl_addr=300", [](auto& st) { return int{st.tunnelAddress}; }, 44},
        {"fl_addr=-1", [](auto& st) { return int{st.tunnelAddress}; }, 255},
        {"short_addr=17", [](auto& st) { return int{st.shortAddress}; }, 1},
        {"short_addr=16", [](auto& st) { return int{st.shortAddress}; }, 16},
        {"short_addr=0", [](auto& st) { return int{st.shortAddress}; }, 0},
        {"short_addr=272", [](auto& st) { return int{st.shortAddress}; }, 1},
        {"SOU=256", [](auto& st) { return int{st.souMode}; }, 0},
        {"SOU=257", [](auto& st) { return int{st.souMode}; }, 1},
        {"type_fl_request=1", [](auto& st) { return st.tunnelRequestFormat; }, 1},
        {"type_fl_request=5", [](auto& st) { return st.tunnelRequestFormat; }, 0},
        {"fl_num_line=3", [](auto& st) { return st.tunnelLine; }, 3},
        {"fl_num_line=1000", [](auto& st) { return st.tunnelLine; }, 0},
        {"num_port=99999999999999999999", [](auto& st) { return st.portIndex; }, 0},
        {"first_byte_wait=0x7D0", [](auto& st) { return st.firstByteWait; }, 2000},
        {"first_byte_wait=\xFF\xFE\x01", [](auto& st) { return st.firstByteWait; }, 1000},
    };
    for (const auto& c : cases) {
        s.settings = LinkSettings{};
        load(std::string("[Ini_Dir_Section]\r\n") + c.lines + "\r\n");
        EXPECT_EQ(c.field(s.settings), c.expected) << c.lines;
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SettingsStore, SavesEveryKeyInItsOrderWithScrambledCredentials) {
    LinkSettings& st = s.settings;
    st.settingsDirectory = "/home/инженер/калибровки";
    st.linkType = 1;
    st.tunnelRequestFormat = 1;
    st.tunnelLine = 2;
    st.portIndex = 1;
    st.hartSpeedIndex = 0;
    st.portSpeedIndex = 9;
    st.masterAddress = 1;
    st.firstByteWait = 7000;  // low byte 0x58
    st.nextByteWait = 300;    // low byte 0x2C
    st.tunnelAddress = 7;
    st.shortAddress = 3;
    st.souMode = true;
    st.resultFileName = "/tmp/poll.ctr";
    st.tunnelPassword = "A\xDF";  // "AЯ" in Windows-1251
    st.tunnelUserId = "\x01";
    // Key: 1 + 1 + 9 + 0 + 0x58 + 0x2C + 3 = 146 = 0x92.
    ASSERT_EQ(SettingsKey(st), 0x92);
    ASSERT_TRUE(SaveSettings(s, path));
    EXPECT_EQ(fileText(),
              "[ini_dir_section]\r\n"
              "ini_dir_ident=/home/инженер/калибровки\r\n"
              "type_connect=1\r\n"
              "type_fl_request=1\r\n"
              "fl_num_line=2\r\n"
              "num_port=1\r\n"
              "port_name=/dev/ttyS0\r\n"
              "hart_speed=0\r\n"
              "speed=9\r\n"
              "MasterAddr=1\r\n"
              "first_byte_wait=7000\r\n"
              "next_byte_wait=300\r\n"
              "fl_addr=7\r\n"
              "short_addr=3\r\n"
              "SOU=1\r\n"
              "fileprot_name=/tmp/poll.ctr\r\n"
              "p0=-45\r\n"  // 0x41 ^ 0x92 = 0xD3, signed -45
              "p1=77\r\n"   // 0xDF ^ 0x92 = 0x4D
              "p2=256\r\n"
              "i0=-109\r\n"  // 0x01 ^ 0x92 = 0x93, signed -109
              "i1=256\r\n");

    const LinkSettings saved = st;
    s.settings = LinkSettings{};
    load();
    EXPECT_EQ(st.tunnelPassword, saved.tunnelPassword);
    EXPECT_EQ(st.tunnelUserId, saved.tunnelUserId);
    EXPECT_EQ(st.linkType, 1);
    EXPECT_EQ(st.portIndex, 1);
    EXPECT_EQ(st.portSpeedIndex, 9);
    EXPECT_EQ(st.masterAddress, 1);
    EXPECT_EQ(st.firstByteWait, 7000);
    EXPECT_EQ(st.tunnelAddress, 7);
    EXPECT_EQ(st.shortAddress, 3);
    EXPECT_TRUE(st.souMode);
    EXPECT_EQ(st.tunnelRequestFormat, 1);
    EXPECT_EQ(st.tunnelLine, 2);
    EXPECT_EQ(st.resultFileName, "/tmp/poll.ctr");
    EXPECT_EQ(st.settingsDirectory, folder.path()) << "a folder that does not exist falls back";
}

TEST_F(SettingsStore, PasswordsOfEveryByteRoundTrip) {
    const std::string passwords[] = {
        "", "ab", "Пароль\x98\xFF\x80", std::string("\x00\x7F\x80\xFE", 4), "0123456789ABCDEF",
    };
    for (int shortAddress : {0, 5, 16}) {
        for (const auto& password : passwords) {
            s.settings = LinkSettings{};
            s.settings.shortAddress = static_cast<std::uint8_t>(shortAddress);
            s.settings.tunnelPassword = password;
            s.settings.tunnelUserId = password.substr(0, 4);
            std::filesystem::remove(path);
            ASSERT_TRUE(SaveSettings(s, path));
            s.settings = LinkSettings{};
            load();
            EXPECT_EQ(s.settings.tunnelPassword, password);
            EXPECT_EQ(s.settings.tunnelUserId, password.substr(0, 4));
        }
    }
}

TEST_F(SettingsStore, EmptyPasswordIsATerminatorAloneAndOldLongerKeysStay) {
    s.settings.tunnelPassword = "12345";
    ASSERT_TRUE(SaveSettings(s, path));
    s.settings.tunnelPassword = "";
    ASSERT_TRUE(SaveSettings(s, path));
    const auto keys = keysInFile();
    const auto at = std::find(keys.begin(), keys.end(), "p0");
    ASSERT_NE(at, keys.end());
    EXPECT_EQ(std::vector<std::string>(at, at + 7),
              (std::vector<std::string>{"p0", "p1", "p2", "p3", "p4", "p5", "i0"}));
    EXPECT_NE(fileText().find("p0=256\r\n"), std::string::npos);
    load();
    EXPECT_EQ(s.settings.tunnelPassword, "");
}

TEST_F(SettingsStore, AVanishedPortFallsBackToNoneAndThePasswordStillReadsBack) {
    // Written by this tool (with the port's name) and by one that writes only
    // the index: either way the password was scrambled with num_port as
    // written, and reads back unchanged when the port is gone.
    for (bool withName : {true, false}) {
        ports.present = {"/dev/ttyS0", "/dev/ttyUSB0"};
        ScanPorts(s);
        s.settings = LinkSettings{};
        s.settings.portIndex = 2;
        s.settings.tunnelPassword = "secret";
        std::filesystem::remove(path);
        ASSERT_TRUE(SaveSettings(s, path));
        if (!withName) {
            std::string text = fileText();
            const auto at = text.find("port_name=");
            text.erase(at, text.find('\n', at) + 1 - at);
            testing::WriteFileBytes(path, text);
        }

        ports.present = {"/dev/ttyS0"};
        ScanPorts(s);
        load();
        EXPECT_EQ(s.settings.portIndex, 0) << withName;
        EXPECT_EQ(s.settings.tunnelPassword, "secret") << withName;
    }
    EXPECT_TRUE(ui.messages.empty());
}

// Unplugged at start-up or during the run, the port stays what the file keeps
// (with the password it was scrambled with) until the user picks another.
TEST_F(SettingsStore, AVanishedPortStaysTheStoredChoiceUntilTheUserPicksAnother) {
    const std::vector<std::string> both{"/dev/ttyS0", "/dev/ttyUSB0"};
    const std::string kept = "num_port=2\r\nport_name=/dev/ttyUSB0\r\n";
    const auto rescan = [&](std::vector<std::string> present) {
        ports.present = std::move(present);
        ScanPorts(s);
    };
    const auto linkDialog = [&](int portIndex) {
        ui.onDialog<LinkDialog>("LinkDialog", [portIndex](LinkDialog& d) {
            if (portIndex >= 0) d.portIndex = portIndex;
            return true;
        });
        ApplyLinkDialog(s, path);
    };
    const struct {
        const char* name;
        std::function<void()> during;  // from a load with the port present
        bool keptAfterwards;
        int indexDuring = 0;
    } cases[] = {
        {"gone at start-up",
         [&] {
             rescan({"/dev/ttyS0"});
             load();
         },
         true},
        {"gone during the run",
         [&] {
             ports.present = {"/dev/ttyS0"};  // unplugged; no scan has seen it yet
             OpenPort(s);                     // a command finds it gone and deselects it
         },
         true},
        {"gone, link dialog confirmed as shown",
         [&] {
             rescan({"/dev/ttyS0"});
             load();
             linkDialog(-1);
         },
         true},
        {"user chose no port", [&] { linkDialog(0); }, false},
        {"user chose another port",
         [&] {
             rescan({"/dev/ttyS0"});
             OpenPort(s);
             linkDialog(1);
         },
         false, 1},
    };
    for (const auto& c : cases) {
        rescan(both);
        s.settings = LinkSettings{};
        s.settings.portIndex = 2;
        s.settings.tunnelPassword = "pw";
        std::filesystem::remove(path);
        ASSERT_TRUE(SaveSettings(s, path));
        load();
        ASSERT_EQ(s.settings.portIndex, 2) << c.name;

        c.during();
        EXPECT_EQ(s.settings.portIndex, c.indexDuring) << c.name;
        ASSERT_TRUE(SaveSettings(s, path));
        EXPECT_EQ(fileText().find(kept) != std::string::npos, c.keptAfterwards) << c.name << "\n" << fileText();

        rescan(both);
        load();
        EXPECT_EQ(s.settings.portIndex == 2, c.keptAfterwards) << c.name;
        EXPECT_EQ(s.settings.tunnelPassword, "pw") << c.name;
    }
}

TEST_F(SettingsStore, ThePortIsFoundByNameWhenTheScanChanged) {
    s.settings.portIndex = 2;  // /dev/ttyUSB0
    s.settings.tunnelPassword = "pw";
    ASSERT_TRUE(SaveSettings(s, path));
    EXPECT_NE(fileText().find("num_port=2\r\nport_name=/dev/ttyUSB0\r\n"), std::string::npos);

    struct Case {
        std::vector<std::string> present;
        int index;
        const char* caption;
    } cases[] = {
        {{"/dev/ttyS0", "/dev/ttyUSB0"}, 2, "Порт ttyUSB0."},
        {{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB0"}, 3, "Порт ttyUSB0."},  // a port came before it
        {{"/dev/ttyUSB0"}, 1, "Порт ttyUSB0."},                                // one before it went away
        {{"/dev/ttyS0", "/dev/ttyS1"}, 0, "Порт не выбран."},                  // it went away; index 2 is another port
        {{}, 0, "Порт не выбран."},
    };
    for (const auto& c : cases) {
        ports.present = c.present;
        ScanPorts(s);
        s.settings = LinkSettings{};
        load();
        EXPECT_EQ(s.settings.portIndex, c.index) << c.caption;
        EXPECT_EQ(s.settings.tunnelPassword, "pw") << c.caption;
        EXPECT_EQ(MainCaptionText(s), std::string("Обслуживание датчиков температуры. ") + c.caption + " Адрес 1");
    }
    EXPECT_TRUE(ui.messages.empty());

    // A file without the name (another installation's) still goes by the index.
    ports.present = {"/dev/ttyS0", "/dev/ttyUSB0"};
    ScanPorts(s);
    load("[ini_dir_section]\r\nnum_port=1\r\n");
    EXPECT_EQ(s.settings.portIndex, 1);
}

TEST_F(SettingsStore, ValuesTheNextLoadCorrectsDoNotScrambleThePassword) {
    // A link type with no dialog item (-1) or an odd speed option is saved as
    // it is; the next load corrects it, and the password must still read back.
    s.settings.linkType = -1;
    s.settings.hartSpeedIndex = 9;
    s.settings.portSpeedIndex = -4;
    s.settings.tunnelPassword = "pass";
    ASSERT_TRUE(SaveSettings(s, path));
    load();
    EXPECT_EQ(s.settings.linkType, 0);
    EXPECT_EQ(s.settings.tunnelPassword, "pass");
}

TEST_F(SettingsStore, HostileFilesLoadBoundedAndNeverHang) {
    struct Case {
        const char* name;
        std::string content;
        std::size_t passwordLength;
        std::size_t userIdLength;
    } cases[] = {
        {"credential keys that never end",
         [] {
             std::string c = "[ini_dir_section]\n";
             for (int i = 0; i < 40000; ++i) c += "p" + std::to_string(i) + "=1\ni" + std::to_string(i) + "=-1\n";
             return c;
         }(),
         kPasswordMaxLength, kUserIdMaxLength},
        {"gap in the keys", "[ini_dir_section]\np0=1\np2=1\n", 1, 0},
        {"terminator below 256 missing, huge values", "[ini_dir_section]\np0=-999999\np1=99999999999\n", 1, 0},
        {"binary garbage", std::string("\0\xFF[\x80]\n=\n[ini_dir_section\n\xFFp0=\x01\n", 28), 0, 0},
    };
    for (const auto& c : cases) {
        s.settings = LinkSettings{};
        const auto start = std::chrono::steady_clock::now();
        load(c.content);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.name;
        EXPECT_EQ(s.settings.tunnelPassword.size(), c.passwordLength) << c.name;
        EXPECT_EQ(s.settings.tunnelUserId.size(), c.userIdLength) << c.name;
        EXPECT_EQ(s.settings.firstByteWait, 1000) << c.name;
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SettingsStore, SettingsDirectoryIsKeptOnlyWhenItExists) {
    const std::string existing = folder.file("calibrations");
    std::filesystem::create_directory(existing);
    load("[ini_dir_section]\nini_dir_ident=" + existing + "\n");
    EXPECT_EQ(s.settings.settingsDirectory, existing);
    load("[ini_dir_section]\nini_dir_ident=" + folder.file("gone") + "\n");
    EXPECT_EQ(s.settings.settingsDirectory, folder.path());
    load("[ini_dir_section]\nini_dir_ident=\n");
    EXPECT_EQ(s.settings.settingsDirectory, folder.path());
}

TEST_F(SettingsStore, SaveKeepsForeignSectionsAndKeys) {
    WriteFileBytes(path, "; notes\r\n[Other]\r\nx=1\r\n[ini_dir_section]\r\nmine=kept\r\nspeed=4\r\n");
    s.settings.portSpeedIndex = 6;
    ASSERT_TRUE(SaveSettings(s, path));
    const std::string text = fileText();
    EXPECT_EQ(text.rfind("; notes\r\n[Other]\r\nx=1\r\n[ini_dir_section]\r\nmine=kept\r\nspeed=6\r\n", 0), 0u) << text;
}

TEST_F(SettingsStore, AFailedSaveTellsTheUserWhichFileAndWhy) {
    const std::string bad = folder.file("missing/Quillon.ini");
    EXPECT_FALSE(SaveSettings(s, bad));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
    // The reason is the system's own text, which differs between systems.
    const std::string lead = "Не удалось сохранить параметры связи в файл " + bad + "\nОшибка: ";
    EXPECT_EQ(ui.messages[0].text.rfind(lead, 0), 0u) << ui.messages[0].text;
    EXPECT_GT(ui.messages[0].text.size(), lead.size()) << ui.messages[0].text;
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// HART-IP lives in keys of its own: type_connect keeps a value older programs
// know (the modem), and the credentials' key follows that value, so the same
// file reads back the same password in either program.
TEST_F(SettingsStore, HartIpKeysRoundTripAndLeaveOlderReadersTheModem) {
    s.settings.linkType = kLinkHartIp;
    s.settings.hartIpHost = "gw.plant";
    s.settings.hartIpPort = 20004;
    s.settings.hartIpTransport = kHartIpUdp;
    s.settings.hartIpResponseTimeout = 1500;
    s.settings.tunnelPassword = "ab";
    ASSERT_TRUE(SaveSettings(s, path));
    const std::string text = fileText();
    for (const char* line : {"type_connect=0\r\n", "hart_ip_link=1\r\n", "hart_ip_host=gw.plant\r\n",
                             "hart_ip_port=20004\r\n", "hart_ip_transport=1\r\n", "hart_ip_timeout=1500\r\n",
                             "hart_ip_inactivity=60000\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;

    s.settings = LinkSettings{};
    load();
    EXPECT_EQ(s.settings.linkType, kLinkHartIp);
    EXPECT_EQ(s.settings.hartIpHost, "gw.plant");
    EXPECT_EQ(s.settings.hartIpPort, 20004);
    EXPECT_EQ(s.settings.hartIpTransport, kHartIpUdp);
    EXPECT_EQ(s.settings.hartIpResponseTimeout, 1500);
    EXPECT_EQ(s.settings.tunnelPassword, "ab");

    // What a program without HART-IP makes of the same file.
    std::string older = text;
    for (std::size_t at; (at = older.find("hart_ip_")) != std::string::npos;)
        older.erase(at, older.find("\r\n", at) + 2 - at);
    s.settings = LinkSettings{};
    load(older);
    EXPECT_EQ(s.settings.linkType, kLinkDirect);
    EXPECT_EQ(s.settings.tunnelPassword, "ab");

    // Out-of-range values fall back as every other key does.
    s.settings = LinkSettings{};
    load("[ini_dir_section]\r\nhart_ip_link=1\r\nhart_ip_port=70000\r\nhart_ip_transport=5\r\nhart_ip_timeout=7\r\n");
    EXPECT_EQ(s.settings.linkType, kLinkHartIp);
    EXPECT_EQ(s.settings.hartIpPort, 5094);
    EXPECT_EQ(s.settings.hartIpTransport, kHartIpTcp);
    EXPECT_EQ(s.settings.hartIpResponseTimeout, 3000);
}

}  // namespace
}  // namespace quillon
