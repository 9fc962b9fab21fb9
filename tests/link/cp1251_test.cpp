#include <gtest/gtest.h>

#include "link/cp1251.h"

namespace quillon {
namespace {

TEST(Cp1251, EveryByteSurvivesATripThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = Cp1251ToUtf8(all);
    EXPECT_EQ(Utf8ToCp1251(utf8), all);
}

TEST(Cp1251, KnownCharactersAndReplacements) {
    struct Case {
        const char* utf8;
        const char* cp1251;
    } cases[] = {
        {"Пароль", "\xCF\xE0\xF0\xEE\xEB\xFC"},
        {"ЁёЎўІіЇїЄєҐґ", "\xA8\xB8\xA1\xA2\xB2\xB3\xAF\xBF\xAA\xBA\xA5\xB4"},
        {"№€‰—«»", "\xB9\x88\x89\x97\xAB\xBB"},
        {"Ђђ™\xC2\xA0", "\x80\x90\x99\xA0"},
        {"abc 123", "abc 123"},
        {"é😀", "??"},                  // no place in the code page
        {"a\xC3", "a?"},               // cut-off sequence
        {"\xC0\xAF", "??"},            // overlong "/"
        {"\xED\xA0\x80", "???"},       // surrogate
        {"\xF4\x90\x80\x80", "????"},  // beyond U+10FFFF
        {"\x80z", "?z"},               // stray continuation byte
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8ToCp1251(c.utf8), c.cp1251) << c.utf8;
    EXPECT_EQ(Cp1251ToUtf8("\xCF\xE0\xF0\xEE\xEB\xFC"), "Пароль");
}

}  // namespace
}  // namespace quillon
