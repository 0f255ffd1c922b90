// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/Layout.h"

#include "config/Conf.h"
#include "conversion/ConvertAndSave.h"
#include "conversion/Source.h"
#include "style/ViewStyle.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace verdask {
namespace {

using test::ReadFileBytes;
using test::Recoded;
using test::TTempDir;
using test::WriteFileBytes;
using Lines = std::vector<std::string>;

const std::string Prose = "Он вошёл в комнату и сел у окна, глядя на улицу, где шёл дождь.";
const std::string Dialogue = "— Ты опять опоздал, — сказала она.";

// A paragraph wrapped at about sixty characters, over several lines.
Lines Wrapped(int number)
{
    return {"Часы пробили девять (" + std::to_string(number) + "). За стеной кто-то",
            "играл на рояле старый вальс, сбиваясь и начиная снова, и",
            "сосед стучал в стену."};
}

struct TConverted {
    TParagraphLayout Told;
    std::string Body; // in UTF-8
    std::size_t Anchors;
};

TConverted Convert(const Lines& lines, const std::string& lineEnd, TParagraphLayout chosen = TParagraphLayout::Auto)
{
    TTempDir dir;
    std::string text;
    for (const auto& line : lines)
        text += line + lineEnd;
    WriteFileBytes(dir.File("book.txt"), Recoded(text, "UTF-8", "CP1251"));
    TConf conf;
    conf.SetDefaults();
    TSourceState source;
    source.SourcePath = dir.File("book.txt");
    source.Preview = ReadPreview(source.SourcePath);
    source.IndentWidth = DetectIndent(source.Preview);
    source.Layout = LayoutOfText(chosen, LineShapesOf(source.Preview));
    WritePage(dir.File("book.html"), conf, source, {}, {});
    TConverted converted{source.Layout.Paragraphs, Recoded(ReadFileBytes(dir.File("book.html")), "CP1251", "UTF-8"), 0};
    for (std::size_t at = 0; (at = converted.Body.find("<A Name=a", at)) != std::string::npos; ++at)
        ++converted.Anchors;
    return converted;
}

TEST(ParagraphLayout, EachLayoutIsToldAndGivesTheParagraphsAReaderWouldMark)
{
    Lines oneEach = {"Рассказ"};
    Lines spaced = {"Рассказ", ""};
    Lines blank = {"Рассказ", ""};
    Lines indented = {"Автор", "Рассказ"};
    // Empty lines around chapter numbers alone make groups of whole paragraphs.
    Lines chapters = {"Рассказ"};
    for (int i = 0; i < 30; ++i) {
        if (i % 10 == 0)
            chapters.insert(chapters.end(), {"", std::string(i == 0 ? "I" : i == 10 ? "II" : "III"), ""});
        chapters.push_back(i % 2 == 0 ? Prose : Dialogue);
    }
    for (int i = 0; i < 30; ++i) {
        const std::string& line = i % 2 == 0 ? Prose : Dialogue;
        oneEach.push_back(line);
        spaced.insert(spaced.end(), {line, ""});
        const Lines paragraph = Wrapped(i);
        blank.insert(blank.end(), paragraph.begin(), paragraph.end());
        blank.push_back("");
        indented.push_back("     " + line);
    }
    // A poem keeps its lines; a word broken at a line's end is whole again.
    blank.insert(blank.begin() + 6, {"Мороз и солнце; день чудесный!", "Ещё ты дремлешь, друг прелестный —", ""});
    Lines oneEachAfterEmpty = oneEach;
    oneEachAfterEmpty.insert(oneEachAfterEmpty.begin(), 2, "");
    Lines blankAfterEmpty = blank;
    blankAfterEmpty.insert(blankAfterEmpty.begin(), "   ");
    const struct {
        const char* Why;
        const Lines& Text;
        TParagraphLayout Told;
        std::size_t Anchors;
    } rows[] = {
        {"one line each", oneEach, TParagraphLayout::OneLineEach, 30},
        {"one line each, empty lines between", spaced, TParagraphLayout::OneLineEach, 30},
        {"one line each, empty lines around chapters", chapters, TParagraphLayout::OneLineEach, 33},
        {"blank lines, wrapped", blank, TParagraphLayout::BlankLines, 32},
        {"one line each after empty lines", oneEachAfterEmpty, TParagraphLayout::OneLineEach, 30},
        {"blank lines after an empty line", blankAfterEmpty, TParagraphLayout::BlankLines, 32},
        {"indented", indented, TParagraphLayout::Indented, 30},
    };
    for (const auto& row : rows) {
        for (const std::string lineEnd : {"\r\n", "\n"}) {
            const TConverted converted = Convert(row.Text, lineEnd);
            EXPECT_EQ(converted.Told, row.Told) << row.Why;
            EXPECT_EQ(converted.Anchors, row.Anchors) << row.Why;
            EXPECT_NE(converted.Body.find("<B>Рассказ</B>"), std::string::npos) << row.Why << ": the title";
        }
    }
    const std::string body = Convert(blank, "\r\n").Body;
    EXPECT_NE(body.find("Мороз и солнце; день чудесный!\r\n</A><BR><A Name="), std::string::npos) << "the poem's lines";
    EXPECT_NE(body.find("(1). За стеной кто-то\r\nиграл"), std::string::npos) << "a paragraph's lines join";
}

TEST(ParagraphLayout, AWordBrokenAtALinesEndIsWholeAgainAndATabIsTheIndentOfATabbedText)
{
    Lines blank = {"Рассказ", ""};
    for (int i = 0; i < 12; ++i) {
        blank.insert(blank.end(), {"Он долго шёл по дороге, и дорога была пу-", "стой и длинной, как осенний вечер.", ""});
    }
    const std::string body = Convert(blank, "\r\n", TParagraphLayout::BlankLines).Body;
    EXPECT_NE(body.find("была пу-стой и длинной"), std::string::npos);
    // A group of more short lines than are held back (a long list) keeps every line.
    for (int i = 0; i < 300; ++i)
        blank.push_back("Строка " + std::to_string(i));
    EXPECT_EQ(Convert(blank, "\r\n", TParagraphLayout::BlankLines).Anchors, 12u + 300u);

    Lines tabbed = {"Автор", "Рассказ"};
    for (int i = 0; i < 30; ++i)
        tabbed.push_back("\t" + Prose);
    const TConverted converted = Convert(tabbed, "\r\n");
    EXPECT_EQ(converted.Told, TParagraphLayout::Indented);
    EXPECT_EQ(converted.Anchors, 30u);
}

TEST(ParagraphLayout, NamesInAnyCase)
{
    for (const auto layout : {TParagraphLayout::Auto, TParagraphLayout::Indented, TParagraphLayout::OneLineEach,
                              TParagraphLayout::BlankLines})
        EXPECT_EQ(LayoutNamed(LayoutName(layout)), layout);
    EXPECT_EQ(LayoutNamed("ONE LINE EACH"), TParagraphLayout::OneLineEach);
    EXPECT_EQ(LayoutNamed("blank"), TParagraphLayout::BlankLines);
    EXPECT_EQ(LayoutNamed("verse"), std::nullopt);
}

} // namespace
} // namespace verdask
