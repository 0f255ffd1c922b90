// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Cp1251.h"

#include <gtest/gtest.h>

namespace verdask {
namespace {

TEST(Cp1251, FoldsLatinAndCyrillicLetterCase)
{
    EXPECT_TRUE(SameText1251("Open directory", "OPEN DIRECTORY"));
    EXPECT_TRUE(SameText1251("\xC0\xDF\xA8", "\xE0\xFF\xB8")); // А Я Ё and а я ё
    EXPECT_TRUE(SameText1251("\xA5\xB2", "\xB4\xB3"));         // Ґ І and ґ і
    EXPECT_FALSE(SameText1251("Left", "Left "));
    EXPECT_FALSE(SameText1251("\xC0", "A")); // Cyrillic А is not Latin A
    EXPECT_EQ(LowerCase1251('\x98'), '\x98');
    EXPECT_EQ(LowerCase1251('['), '[');
}

TEST(Cp1251, DecodesTheUpperHalf)
{
    EXPECT_EQ(Windows1251ToUnicode(0xC0), U'\u0410');
    EXPECT_EQ(Windows1251ToUnicode(0xFF), U'\u044F');
    EXPECT_EQ(Windows1251ToUnicode(0xA8), U'\u0401');
    EXPECT_EQ(Windows1251ToUnicode(0xB9), U'\u2116');
    EXPECT_EQ(Windows1251ToUnicode(0x96), U'\u2013');
    EXPECT_EQ(Windows1251ToUnicode(0x41), U'A');
}

TEST(Cp1251, WritesUtf8NamesAsPageText)
{
    EXPECT_EQ(Utf8ToHtml1251("war.and.peace.html"), "war.and.peace.html");
    // "Война.html" in UTF-8 becomes its windows-1251 bytes.
    EXPECT_EQ(Utf8ToHtml1251("\xD0\x92\xD0\xBE\xD0\xB9\xD0\xBD\xD0\xB0.html"), "\xC2\xEE\xE9\xED\xE0.html");
    EXPECT_EQ(Utf8ToHtml1251("\xE2\x84\x96"), "\xB9"); // №
    // Characters the code page lacks become references; broken UTF-8 too.
    EXPECT_EQ(Utf8ToHtml1251("\xE6\x97\xA5"), "&#26085;");
    EXPECT_EQ(Utf8ToHtml1251("\xF0\x9F\x93\x96"), "&#128214;");
    EXPECT_EQ(Utf8ToHtml1251("a\xFF" "b"), "a&#65533;b");
    EXPECT_EQ(Utf8ToHtml1251("\xD0"), "&#65533;");
    EXPECT_EQ(Utf8ToHtml1251("\xC0\x80"), "&#65533;&#65533;"); // overlong NUL
}

} // namespace
} // namespace verdask
