// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/StyleCss.h"

#include "files/Errors.h"
#include "style/Colors.h"
#include "style/PageFrame.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace verdask {
namespace {

using test::CrLfLines;
using test::TTempDir;
using test::WriteFileBytes;

// A style none of whose fields is the default, so a read that falls back shows.
TViewStyle OddStyle()
{
    TViewStyle style;
    style.FontColor = "#010203";
    style.BackColor = "#A0B0C0";
    style.FontName = "Courier";
    style.FontSize = 9;
    style.LineHeight = 11;
    style.LetterSpacing = 3;
    style.Justification = true;
    style.TextWidth = 70;
    return style;
}

std::string Body(std::string_view spacing, std::string_view tail = " } ")
{
    return "BODY { color: #000000;background: #FFFFFF;font-family: Arial;font-size: 14pt;line-height: "
           "18pt;letter-spacing: " +
           std::string(spacing) + std::string(tail);
}

TEST(StyleReadBack, EveryStyleTheEditorCanMakeReadsBackUnchanged)
{
    TTempDir dir;
    const std::string path = dir.File("page.html");
    const char* fonts[] = {"Arial", "Times New Roman", "Default", "PT Serif Caption", "x"};
    int checked = 0;
    for (int size = 2; size <= 72; ++size) {
        for (int spacing = 0; spacing <= 100; ++spacing) {
            const int i = checked++;
            TViewStyle style;
            style.FontSize = static_cast<std::uint8_t>(size);
            style.LetterSpacing = static_cast<std::uint8_t>(spacing);
            style.LineHeight = static_cast<std::uint8_t>(1 + (i * 37) % 100);
            style.Justification = i % 2 == 1;
            style.TextWidth = 30 + 10 * (i % 8);
            style.FontColor = RgbToStyleColor(static_cast<std::uint32_t>(i) * 2654435761u);
            style.BackColor = RgbToStyleColor(static_cast<std::uint32_t>(i) * 40503u);
            style.FontName = fonts[i % 5];
            WriteFileBytes(path, PageHeaderText(path, style));
            ASSERT_EQ(ReadStyleFromPage(path, OddStyle()), style) << "size " << size << " spacing " << spacing;
        }
    }
    EXPECT_EQ(checked, 71 * 101);
}

TEST(StyleReadBack, TheCutsOfTheBodyLine)
{
    const TViewStyle defaults = OddStyle();
    auto spacingOf = [&](const std::string& body) { return StyleFromHeadLines(body, "", "", defaults).LetterSpacing; };
    EXPECT_EQ(spacingOf(Body("12pt")), 12);
    EXPECT_EQ(spacingOf(Body("12pt", " }")), 1) << "without the final blank the cut is one short";
    EXPECT_EQ(spacingOf(Body("1pt", " }")), 0);
    EXPECT_EQ(spacingOf(Body("normal")), 0) << "\"normal\" is cut to \"norm\"";
    EXPECT_EQ(spacingOf(Body("wide")), 0) << "no number gives 0";
    EXPECT_EQ(spacingOf(Body("300pt")), 100) << "the nearest end of the range";

    const TViewStyle style = StyleFromHeadLines(Body("1pt"), "", "", defaults);
    EXPECT_EQ(style.FontColor, "#000000");
    EXPECT_EQ(style.BackColor, "#FFFFFF");
    EXPECT_EQ(style.FontName, "Arial");
    EXPECT_EQ(style.FontSize, 14);
    EXPECT_EQ(style.LineHeight, 18);
    EXPECT_FALSE(style.Justification) << "no P rule line";
    EXPECT_EQ(style.TextWidth, 100) << "no TABLE line";

    const std::string big = "BODY { color: #000000;background: #FFFFFF;font-family: A;font-size: 256pt;line-height: "
                            "18pt;letter-spacing: 1pt } ";
    EXPECT_EQ(StyleFromHeadLines(big, "", "", defaults).FontSize, 72);
}

TEST(StyleReadBack, NamesAndColoursThatAreNoneAreNeverWrittenNorRead)
{
    TViewStyle style;
    style.FontName = "Odd;Name";
    style.FontColor = "#FFFFFF url(http://host/x.png)";
    style.BackColor = "#000000;}BODY{display:none";
    const std::string rule = BodyRule(style);
    EXPECT_EQ(rule, BodyRule(TViewStyle{})) << "the default's values instead";
    const std::string planted = "BODY { color: #1/*345;background: #FFFFFF;font-family: A'b;font-size: 14pt;"
                                "line-height: 18pt;letter-spacing: 1pt } ";
    const TViewStyle read = StyleFromHeadLines(planted, "", "", OddStyle());
    EXPECT_EQ(read.FontColor, OddStyle().FontColor);
    EXPECT_EQ(read.FontName, OddStyle().FontName);
    EXPECT_EQ(read.BackColor, "#FFFFFF");
    style.FontName = "my font-size face";
    EXPECT_THROW(StyleFromHeadLines(BodyRule(style), "", "", style), EConvertError);
}

TEST(StyleReadBack, AlignmentAndWidth)
{
    const std::string body = Body("1pt");
    auto read = [&](std::string_view p, std::string_view table) { return StyleFromHeadLines(body, p, table, {}); };
    EXPECT_TRUE(read("P { text-align: justify;font-size: 14pt", "").Justification);
    EXPECT_FALSE(read("P { text-align: Justify;font-size: 14pt", "").Justification) << "only a small j";
    EXPECT_FALSE(read("P { text-align: left;", "").Justification);
    EXPECT_FALSE(read("P { text-align:", "").Justification);

    EXPECT_EQ(read("", "TABLE { width: 60% } ").TextWidth, 60);
    EXPECT_EQ(read("", "TABLE { width: 60 } ").TextWidth, 100) << "no % leaves 100";
    EXPECT_EQ(read("", "TABLE { width: 6x% } ").TextWidth, 100) << "no number gives 100";
    EXPECT_EQ(read("", "TABLE { width: -20% } ").TextWidth, 30);
    EXPECT_EQ(read("", "<TITLE>TABLE.html</TITLE>").TextWidth, 100);
    EXPECT_EQ(read("", "% TABLE { width: 60").TextWidth, 100) << "% before width: cuts nothing";
}

TEST(StyleReadBack, BadSizesAreConversionErrors)
{
    const std::string badSize = "BODY { color: #000000;background: #FFFFFF;font-family: Arial;font-size: "
                                "big;line-height: 18pt;letter-spacing: 1pt } ";
    try {
        StyleFromHeadLines(badSize, "", "", {});
        ADD_FAILURE();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'b' is not a valid integer value");
    }
    const std::string badHeight = "BODY { color: #000000;background: #FFFFFF;font-family: Arial;font-size: "
                                  "14pt;line-height: 1.5pt;letter-spacing: 1pt } ";
    EXPECT_THROW(StyleFromHeadLines(badHeight, "", "", {}), EConvertError);
}

TEST(StyleReadBack, OddBodyLinesNeverReadPastTheLine)
{
    // Every cut of a real body line, and lines with labels missing or out of
    // order: each reads a style or fails with the conversion error, nothing else.
    const std::string full = BodyRule(OddStyle());
    std::vector<std::string> lines;
    for (std::size_t n = 1; n <= full.size(); ++n)
        lines.push_back(full.substr(0, n));
    lines.push_back("BODY { color:");
    lines.push_back("BODY { color: letter-spacing line-height: font-size font-family");
    lines.push_back("letter-spacingBODY { color:font-size");
    lines.push_back("BODY { color: #; font-size: 1pt;");
    int read = 0;
    for (const auto& line : lines) {
        try {
            const TViewStyle style = StyleFromHeadLines(line, "P { text-align:", "%width:", OddStyle());
            ++read;
            // Every text comes out of the line itself, never from beyond its end.
            for (const std::string* field : {&style.FontColor, &style.BackColor, &style.FontName})
                EXPECT_NE(line.find(*field), std::string::npos) << "'" << *field << "' from " << line;
            EXPECT_FALSE(style.Justification) << "the P line holds no alignment";
            EXPECT_EQ(style.TextWidth, 100) << "the % comes before width:";
        } catch (const EConvertError&) {
        }
    }
    EXPECT_GT(read, 0);
    TViewStyle whole = OddStyle();
    whole.Justification = false;
    whole.TextWidth = 100;
    EXPECT_EQ(StyleFromHeadLines(full, "P { text-align:", "%width:", OddStyle()), whole) << "the whole line reads back";
}

TEST(FindHeadLine, SearchesTheHeadOnly)
{
    TTempDir dir;
    const std::string path = dir.File("page.html");
    WriteFileBytes(path, CrLfLines({"<HTML>", "<TITLE>a</TITLE>", "key one", "key two", "</HEAD>", "after key"}));
    EXPECT_EQ(FindHeadLine(path, "key"), "key one");
    EXPECT_EQ(FindHeadLine(path, "two"), "key two");
    EXPECT_EQ(FindHeadLine(path, "after"), "") << "the search ends at </HEAD>";
    EXPECT_EQ(FindHeadLine(path, "KEY"), "") << "case-sensitive";

    WriteFileBytes(path, CrLfLines({"<HTML>", "key and </HEAD>", "key"}));
    EXPECT_EQ(FindHeadLine(path, "key"), "") << "the </HEAD> test comes first";

    WriteFileBytes(path, CrLfLines({"no head end", "at all"}));
    EXPECT_EQ(FindHeadLine(path, "missing"), "");

    EXPECT_THROW(FindHeadLine(dir.File("missing.html"), "key"), EInOutError);
}

TEST(ReadStyleFromPage, PagesWithoutReadableRulesGiveTheDefault)
{
    TTempDir dir;
    const std::string path = dir.File("page.html");
    const TViewStyle defaults = OddStyle();

    WriteFileBytes(path, CrLfLines({"<html><head><title>other</title></head>", "<body>text</body></html>"}));
    EXPECT_EQ(ReadStyleFromPage(path, defaults), defaults) << "a page of another program";

    WriteFileBytes(path, "<HEAD><STYLE>" + Body("2pt") + "</STYLE></HEAD>\r\n");
    EXPECT_EQ(ReadStyleFromPage(path, defaults), defaults) << "rules on the </HEAD> line";

    TViewStyle written;
    written.LetterSpacing = 2;
    std::string header = PageHeaderText(path, written);
    for (auto at = header.find("\r\n"); at != std::string::npos; at = header.find("\r\n", at))
        header.replace(at, 2, "\n");
    WriteFileBytes(path, header);
    EXPECT_EQ(ReadStyleFromPage(path, defaults), defaults) << "LF-only lines read as one line";

    // A marker-less page still reads whatever rules its head has.
    WriteFileBytes(path, CrLfLines({"<HEAD>", Body("2pt"), "</HEAD>"}));
    TViewStyle expected;
    expected.LetterSpacing = 2;
    EXPECT_EQ(ReadStyleFromPage(path, defaults), expected);

    std::filesystem::create_directory(dir.Path() / "folder.html");
    EXPECT_THROW(ReadStyleFromPage(dir.File("folder.html"), defaults), EInOutError);
}

} // namespace
} // namespace verdask
