#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>

#include "link/ini_file.h"
#include "link/link_test_support.h"

namespace quillon {
namespace {

using testing::FolderEntries;
using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

TEST(IniFile, FindsSectionsAndKeysWithoutRegardToCaseFirstOneWinning) {
    TempFolder folder;
    const auto path = folder.file("a.ini");
    WriteFileBytes(path,
                   "stray=0\r\n"
                   "[Main]\r\n"
                   "  Port = ttyS0  \r\n"
                   "quoted=\" padded \"\n"
                   "empty=\n"
                   "port=second\n"
                   "[main]\n"
                   "extra=no\n"
                   "[Other]\n"
                   "port=other");
    const IniFile ini(path);
    EXPECT_EQ(ini.loadError(), "");
    EXPECT_EQ(ini.ReadString("MAIN", "PORT", "-"), "ttyS0");
    EXPECT_EQ(ini.ReadString("main", "quoted", "-"), " padded ");
    EXPECT_EQ(ini.ReadString("main", "empty", "-"), "");
    EXPECT_EQ(ini.ReadString("main", "extra", "-"), "-") << "only the first section of a name counts";
    EXPECT_EQ(ini.ReadString("other", "port", "-"), "other");
    EXPECT_EQ(ini.ReadString("", "stray", "-"), "-") << "keys before any section belong to none";
    EXPECT_TRUE(ini.SectionExists("OTHER"));
    EXPECT_FALSE(ini.ValueExists("main", "missing"));
}

TEST(IniFile, ReadsIntegersAsTheProfileFunctionsDo) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"12", 12},
        {"-7", -7},
        {"+5", 5},
        {" 42 ", 42},
        {"12abc", 12},
        {"abc", -99},
        {"", -99},
        {"-", -99},
        {"0x1F", 31},
        {"0X10", 16},
        {"0xFFFFFFFF", -1},
        {"0x", 0},
        {"0xZZ", 0},
        {"0x1g", 1},
        {"0x123456789", -99},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", -99},
        {"-2147483649", -99},
        {"99999999999999999999999999999", -99},
        {"007", 7},
    };
    TempFolder folder;
    std::string content = "[s]\n";
    for (std::size_t i = 0; i < std::size(cases); ++i) content += "k" + std::to_string(i) + "=" + cases[i].text + "\n";
    WriteFileBytes(folder.file("n.ini"), content);
    const IniFile ini(folder.file("n.ini"));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ini.ReadInteger("s", "k" + std::to_string(i), -99), cases[i].expected) << '"' << cases[i].text << '"';
    EXPECT_EQ(ini.ReadInteger("s", "missing", -99), -99);
}

TEST(IniFile, WriteKeepsEverythingItDoesNotTouchByteForByte) {
    TempFolder folder;
    const auto path = folder.file("keep.ini");
    WriteFileBytes(path,
                   "; written by hand\r\n"
                   "[Calibration]\r\n"
                   "Point1 = 12,5\r\n"
                   "\r\n"
                   "[ini_dir_section]\r\n"
                   "Speed=3\r\n"
                   "unknown = kept\r\n"
                   "\r\n"
                   "[Tail]\r\n"
                   "last=1");  // no line end at the very end
    IniFile ini(path);
    ASSERT_TRUE(ini.WriteInteger("INI_DIR_SECTION", "speed", 5));
    ASSERT_TRUE(ini.WriteString("ini_dir_section", "fresh", "x"));
    ASSERT_TRUE(ini.WriteString("Tail", "more", "2"));
    ASSERT_TRUE(ini.WriteString("New", "k", "v"));
    std::string error;
    ASSERT_TRUE(ini.Save(error)) << error;
    EXPECT_EQ(ReadFileBytes(path),
              "; written by hand\r\n"
              "[Calibration]\r\n"
              "Point1 = 12,5\r\n"
              "\r\n"
              "[ini_dir_section]\r\n"
              "Speed=5\r\n"
              "unknown = kept\r\n"
              "fresh=x\r\n"
              "\r\n"
              "[Tail]\r\n"
              "last=1\r\n"
              "more=2\r\n"
              "[New]\r\n"
              "k=v\r\n");
}

TEST(IniFile, NewFileUsesWindowsLineEndsAndLfFilesStayLf) {
    TempFolder folder;
    IniFile fresh(folder.file("new.ini"));
    fresh.WriteString("s", "a", "1");
    std::string error;
    ASSERT_TRUE(fresh.Save(error)) << error;
    EXPECT_EQ(ReadFileBytes(folder.file("new.ini")), "[s]\r\na=1\r\n");

    WriteFileBytes(folder.file("lf.ini"), "[s]\na=1\n");
    IniFile lf(folder.file("lf.ini"));
    lf.WriteString("s", "b", "2");
    ASSERT_TRUE(lf.Save(error)) << error;
    EXPECT_EQ(ReadFileBytes(folder.file("lf.ini")), "[s]\na=1\nb=2\n");
}

TEST(IniFile, WrittenValuesCannotForgeLinesAndBadNamesAreRefused) {
    TempFolder folder;
    const auto path = folder.file("w.ini");
    IniFile ini(path);
    EXPECT_TRUE(ini.WriteString("s", "name", "a\r\n[evil]\nk=1"));
    EXPECT_FALSE(ini.WriteString("s", "a=b", "1"));
    EXPECT_FALSE(ini.WriteString("s", "line\nbreak", "1"));
    EXPECT_FALSE(ini.WriteString("s", "", "1"));
    EXPECT_FALSE(ini.WriteString("s", "[x]", "1"));
    EXPECT_FALSE(ini.WriteString("bad]name", "k", "1"));
    EXPECT_FALSE(ini.WriteString("", "k", "1"));
    std::string error;
    ASSERT_TRUE(ini.Save(error)) << error;
    const IniFile back(path);
    EXPECT_EQ(back.ReadString("s", "name", "-"), "a  [evil] k=1");
    EXPECT_FALSE(back.SectionExists("evil"));
    EXPECT_EQ(ReadFileBytes(path), "[s]\r\nname=a  [evil] k=1\r\n");
}

TEST(IniFile, EveryWrittenKeyReadsBackEqualAfterASaveAndLoad) {
    // Names are taken without surrounding blanks on both sides; a value that a
    // read would trim or unquote is written in one pair of quotes of its own.
    struct Case {
        const char* section;
        const char* key;
        const char* value;
        const char* line;  // as it stands in the file
    } cases[] = {
        {"s", "plain", "value", "plain=value"},
        {"s", " spaced key ", "v", "spaced key=v"},
        {" s ", "in spaced section", "v", "in spaced section=v"},
        {"s", "quoted", "\"abc\"", "quoted=\"\"abc\"\""},
        {"s", "single", "'abc'", "single=\"'abc'\""},
        {"s", "blanks", "  two  ", "blanks=\"  two  \""},
        {"s", "tab", "\tx", "tab=\"\tx\""},
        {"s", "open quote", "\"abc", "open quote=\"abc"},
        {"s", "inner quotes", "a \"b\" c", "inner quotes=a \"b\" c"},
        {"s", "lone quote", "\"", "lone quote=\""},
        {"s", "quote and blank", "\"a ", "quote and blank=\"\"a \""},
        {"s", "empty", "", "empty="},
        {"s", "path", "/home/инженер/prot.ctr", "path=/home/инженер/prot.ctr"},
    };
    TempFolder folder;
    const auto path = folder.file("round.ini");
    {
        IniFile ini(path, IniEncoding::Utf8);
        for (const auto& c : cases) ASSERT_TRUE(ini.WriteString(c.section, c.key, c.value)) << c.key;
        std::string error;
        ASSERT_TRUE(ini.Save(error)) << error;
    }
    const std::string text = ReadFileBytes(path);
    for (const auto& c : cases) EXPECT_NE(text.find(std::string(c.line) + "\r\n"), std::string::npos) << c.line;
    for (int round = 0; round < 2; ++round) {
        IniFile ini(path, IniEncoding::Utf8);
        for (const auto& c : cases) {
            EXPECT_TRUE(ini.ValueExists(c.section, c.key)) << c.key;
            EXPECT_EQ(ini.ReadString(c.section, c.key, "-"), c.value) << c.key << " round " << round;
            // Writing back what was read must not change the file.
            ASSERT_TRUE(ini.WriteString(c.section, c.key, ini.ReadString(c.section, c.key, "-")));
        }
        std::string error;
        ASSERT_TRUE(ini.Save(error)) << error;
        EXPECT_EQ(ReadFileBytes(path), text) << "round " << round;
    }
    // Integers written with spaced names read back too.
    IniFile ini(path, IniEncoding::Utf8);
    ASSERT_TRUE(ini.WriteInteger(" s ", " n ", -17));
    EXPECT_EQ(ini.ReadInteger("s", "n", 0), -17);
    EXPECT_EQ(ini.ReadInteger("  s", "n  ", 0), -17);
}

TEST(IniFile, TextIsWindows1251OnDiskAndUtf8InTheProgram) {
    TempFolder folder;
    const auto path = folder.file("ru.ini");
    // "[Датчик]" / "Имя=Тест" in Windows-1251.
    WriteFileBytes(path, "[\xC4\xE0\xF2\xF7\xE8\xEA]\r\n\xC8\xEC\xFF=\xD2\xE5\xF1\xF2\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString("ДАТЧИК", "имя", "-"), "Тест");
    ASSERT_TRUE(ini.WriteString("датчик", "ИМЯ", "Ёж"));
    std::string error;
    ASSERT_TRUE(ini.Save(error)) << error;
    EXPECT_EQ(ReadFileBytes(path), "[\xC4\xE0\xF2\xF7\xE8\xEA]\r\n\xC8\xEC\xFF=\xA8\xE6\r\n");

    const IniFile raw(path, IniEncoding::Utf8);
    EXPECT_EQ(raw.ReadString("\xC4\xE0\xF2\xF7\xE8\xEA", "\xC8\xEC\xFF", "-"), "\xA8\xE6");
}

TEST(IniFile, FailedSaveReportsWhyAndLeavesNothingBehind) {
    TempFolder folder;
    struct Case {
        const char* name;
        std::string path;
    } cases[] = {
        {"missing folder", folder.file("no/such/folder/x.ini")},
        {"folder is a file", folder.file("plain/x.ini")},
        {"path is a folder", folder.file("dir")},
    };
    WriteFileBytes(folder.file("plain"), "not a folder");
    std::filesystem::create_directory(folder.file("dir"));
    for (const auto& c : cases) {
        IniFile ini(c.path);
        ini.WriteString("s", "k", "v");
        std::string error;
        EXPECT_FALSE(ini.Save(error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }
    auto entries = FolderEntries(folder.path());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"dir", "plain"}));
    EXPECT_TRUE(FolderEntries(folder.file("dir")).empty());
}

TEST(IniFile, SurvivesBinaryGarbageAndKeepsItOnWrite) {
    TempFolder folder;
    const auto path = folder.file("garbage.ini");
    std::mt19937 random(1234);
    std::string garbage;
    for (int i = 0; i < 20000; ++i) garbage += static_cast<char>(random() & 0xFF);
    garbage += "\n";
    WriteFileBytes(path, garbage);
    IniFile ini(path);
    EXPECT_EQ(ini.loadError(), "");
    EXPECT_EQ(ini.ReadInteger("ini_dir_section", "num_port", 7), 7);
    ini.WriteInteger("ini_dir_section", "num_port", 1);
    std::string error;
    ASSERT_TRUE(ini.Save(error)) << error;
    const std::string saved = ReadFileBytes(path);
    EXPECT_EQ(saved.substr(0, garbage.size()), garbage);
    EXPECT_EQ(IniFile(path).ReadInteger("ini_dir_section", "num_port", 7), 1);
}

TEST(IniFile, HugeLinesAreReadButOversizedFilesAreNeitherReadNorReplaced) {
    TempFolder folder;
    const auto longLine = folder.file("long.ini");
    WriteFileBytes(longLine, "[s]\nk=" + std::string(500000, '7') + "\nafter=1\n");
    const IniFile ini(longLine);
    EXPECT_EQ(ini.ReadInteger("s", "k", -1), -1) << "does not fit an int";
    EXPECT_EQ(ini.ReadString("s", "k", "").size(), 500000u);
    EXPECT_EQ(ini.ReadInteger("s", "after", -1), 1);

    const auto big = folder.file("big.ini");
    const std::string content = "[s]\nk=1\n" + std::string(IniFile::kMaxFileSize, 'x');
    WriteFileBytes(big, content);
    IniFile oversized(big);
    EXPECT_NE(oversized.loadError(), "");
    EXPECT_EQ(oversized.ReadInteger("s", "k", -1), -1);
    oversized.WriteInteger("s", "k", 2);
    std::string error;
    EXPECT_FALSE(oversized.Save(error));
    EXPECT_EQ(error, oversized.loadError());
    EXPECT_EQ(ReadFileBytes(big), content);
}

TEST(TIniFileVant, ReadFloatAcceptsEitherSeparatorOnAnyLocale) {
    struct Case {
        const char* text;
        double expected;  // NaN: the default must come back
    } cases[] = {
        {"1.5", 1.5}, {"1,5", 1.5}, {"-0,25", -0.25}, {"+2.5", 2.5}, {"1e3", 1000},  {"12", 12},
        {".5", 0.5},  {"3,", 3},    {"", NAN},        {"abc", NAN},  {"1.2.3", NAN}, {"1,5x", NAN},
        {"inf", NAN}, {"nan", NAN}, {"1e999", NAN},   {"+-1", NAN},  {"0x10", NAN},  {"1 000", NAN},
    };
    TempFolder folder;
    const auto path = folder.file("f.ini");
    std::string content = "[s]\n";
    for (std::size_t i = 0; i < std::size(cases); ++i) content += "k" + std::to_string(i) + "=" + cases[i].text + "\n";
    WriteFileBytes(path, content);
    for (char separator : {'.', ','}) {
        const TIniFileVant ini(path, separator);
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            const double expected = std::isnan(cases[i].expected) ? -7.75 : cases[i].expected;
            EXPECT_DOUBLE_EQ(ini.ReadFloat("s", "k" + std::to_string(i), -7.75), expected)
                << '"' << cases[i].text << "\" with separator " << separator;
        }
        EXPECT_DOUBLE_EQ(ini.ReadFloat("s", "missing", -7.75), -7.75);
        EXPECT_DOUBLE_EQ(ini.ReadFloat("nosection", "k0", -7.75), -7.75);
    }
}

}  // namespace
}  // namespace quillon
