// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/InterfaceText.h"

#include "files/Cp1251.h"
#include "style/PageFrame.h"

#include <gtest/gtest.h>

#include <regex>

namespace verdask {
namespace {

TEST(InterfaceText, RowsAsTheProgramShowsThem)
{
    const TInterfaceText table = FillInterfaceText();
    for (const auto& column : table) {
        for (const auto& text : column)
            EXPECT_FALSE(text.empty());
    }
    const auto& en = table[EnglishColumn];
    const auto& ru = table[RussianColumn];
    EXPECT_EQ(en[0], "Verdask's Library Text Converter");
    EXPECT_EQ(en[23], "I/O error, code ") << "a text that something follows keeps its blank";
    EXPECT_EQ(en[41], "Verdask Library Text Converter v. ");
    EXPECT_EQ(en[24].substr(0, 36), "The file was created by another prog");
    EXPECT_TRUE(en[24].ends_with("unsuccessfull, and the entire file content may be lost. You are free to try, but the "
                                 "wise choice will be to backup the file first. Select the option you like:"));
    EXPECT_EQ(en[27], "Create a copy with the same name and 'htm_' extension");
    EXPECT_EQ(en[44], "Choose a file to be converted");
    EXPECT_EQ(en[50], "I/O error while saving a bookmark");
    EXPECT_EQ(en[51], "Overwrite the existing file?");
    EXPECT_EQ(en[52], "File exists. Choose another name.");
    // windows-1251 bytes: "Выход", "Ошибка ввода/вывода с кодом ", "Язык/Language".
    EXPECT_EQ(ru[4], "\xC2\xFB\xF5\xEE\xE4");
    EXPECT_EQ(ru[23], "\xCE\xF8\xE8\xE1\xEA\xE0 \xE2\xE2\xEE\xE4\xE0/\xE2\xFB\xE2\xEE\xE4\xE0 \xF1 \xEA\xEE\xE4\xEE\xEC ");
    EXPECT_EQ(ru[2], "\xDF\xE7\xFB\xEA/Language");
    EXPECT_EQ(ru[0], ru[46]) << "rows of their own with the same text";
    EXPECT_EQ(en[3], en[16]);
    EXPECT_EQ(en[22], en[30]);
}

TEST(InterfaceText, PositionAndMatchesTexts)
{
    EXPECT_EQ(PositionText(EnglishColumn, 1520, 7380), "¶ 1520 of 7380 · 20%");
    EXPECT_EQ(PositionText(RussianColumn, 7380, 7380), "¶ 7380 из 7380 · 100%");
    EXPECT_EQ(MatchesText(EnglishColumn, 2, 40), "2 of 40");
    EXPECT_EQ(MatchesText(RussianColumn, 0, 0), "Не найдено");
}

TEST(SampleText, IsMarkedUpAsThePreviewExpects)
{
    const std::string text = SampleText();
    EXPECT_NEAR(static_cast<double>(text.size()), 1439.0, 60.0);
    const std::string indent = "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;";
    EXPECT_TRUE(text.starts_with("<P>" + indent));
    std::vector<std::string> paragraphs;
    for (std::size_t at = 0, next; at != std::string::npos; at = next) {
        next = text.find("<BR>", at + 1);
        paragraphs.push_back(text.substr(at, next == std::string::npos ? next : next - at));
    }
    ASSERT_EQ(paragraphs.size(), 5u);
    EXPECT_TRUE(paragraphs[1].starts_with("<BR>" + indent));
    EXPECT_TRUE(paragraphs[2].starts_with("<BR>" + indent));
    EXPECT_TRUE(paragraphs[3].starts_with("<BR>&#150; ")) << "the line of dialogue";
    EXPECT_TRUE(paragraphs[4].starts_with("<BR>" + indent));
    std::size_t dashes = 0;
    for (std::size_t at = 0; (at = text.find("&#150;", at)) != std::string::npos; ++at)
        ++dashes;
    EXPECT_EQ(dashes, 7u);
    const std::regex tag("<[^>]*>");
    for (std::sregex_iterator it(text.begin(), text.end(), tag), end; it != end; ++it)
        EXPECT_TRUE(it->str() == "<P>" || it->str() == "<BR>") << it->str();
}

TEST(NoReadmePage, ByteForByte)
{
    EXPECT_EQ(NoReadmePage("http://example.org/"),
              "<HTML><HEAD></HEAD><BODY><CENTER><B>Verdask Library Text converter</B></CENTER><BR>The file "
              "<I>readme.html</I> has not been found in the program folder. Please visit <A "
              "HREF=http://example.org/>http://example.org/</A> to find user's manual and other useful information "
              "about the program. <BR><BR>To continue, select an appropriate option from the File menu."
              "</BODY></HTML>");
}

} // namespace
} // namespace verdask
