// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/PageFrame.h"

#include "files/FileReplacement.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace verdask {
namespace {

using test::CrLfLines;
using test::ReadFileBytes;
using test::TTempDir;

std::vector<std::string> SplitCrLf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
    return lines;
}

TEST(PageHeader, DefaultStyleByteForByte)
{
    const std::string path = "/books/book.html";
    EXPECT_EQ(PageHeaderText(path, TViewStyle{}),
              CrLfLines({
                  "<HTML>",
                  "<HEAD>",
                  "<TITLE>book.html</TITLE>",
                  "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\">",
                  "<STYLE TYPE=\"text/css\">",
                  "BODY { color: #000000;background: #FFFFFF;font-family: Arial;font-size: 14pt;line-height: "
                  "18pt;letter-spacing: 1pt } ",
                  "P { text-align: left;font-size: 14pt;line-height: 18pt;letter-spacing: 1pt } ",
                  "TABLE { width: 100% } ",
                  "</STYLE>",
                  "<SCRIPT language=\"javascript\">function doLoad() {window.focus();}</SCRIPT>",
                  "</HEAD>",
                  "<BODY onLoad=\"doLoad()\">",
                  "<!--Lantorpress header ends here-->",
              }));
}

TEST(PageHeader, WidthSelectsTheBodyStartLineButTheTableRuleStays)
{
    struct Case {
        std::int32_t width;
        const char* bodyStart;
    };
    const Case cases[] = {
        {100, "<BODY onLoad=\"doLoad()\">"},
        {99, "<BODY onLoad=\"doLoad()\"><TABLE ALIGN=CENTER><TR><TD>"},
        {101, "<BODY onLoad=\"doLoad()\"><TABLE ALIGN=CENTER><TR><TD>"},
        {0, "<BODY onLoad=\"doLoad()\"><TABLE ALIGN=CENTER><TR><TD>"},
        {-5, "<BODY onLoad=\"doLoad()\"><TABLE ALIGN=CENTER><TR><TD>"},
    };
    for (const auto& c : cases) {
        TViewStyle style;
        style.TextWidth = c.width;
        const auto lines = SplitCrLf(PageHeaderText("/b/x.html", style));
        ASSERT_EQ(lines.size(), 13u);
        EXPECT_EQ(lines[7], "TABLE { width: " + std::to_string(c.width) + "% } ");
        EXPECT_EQ(lines[11], c.bodyStart) << c.width;
        EXPECT_EQ(lines[12], HeaderEndMarker);
    }
}

TEST(PageHeader, SpacingAlignmentAndSizesInTheRuleLines)
{
    TViewStyle style;
    style.LetterSpacing = 0;
    style.Justification = true;
    style.FontSize = 255;
    style.LineHeight = 1;
    style.FontName = "Times New Roman";
    style.FontColor = "#12abEF";
    auto lines = SplitCrLf(PageHeaderText("/b/x.html", style));
    EXPECT_EQ(lines[5], "BODY { color: #12abEF;background: #FFFFFF;font-family: Times New Roman;font-size: "
                        "255pt;line-height: 1pt;letter-spacing: normal } ");
    EXPECT_EQ(lines[6], "P { text-align: justify;font-size: 255pt;line-height: 1pt;letter-spacing: normal } ");

    style.LetterSpacing = 2;
    lines = SplitCrLf(PageHeaderText("/b/x.html", style));
    EXPECT_TRUE(lines[5].ends_with("letter-spacing: 2pt } "));
    EXPECT_TRUE(lines[6].ends_with("letter-spacing: 2pt } "));
}

TEST(PageHeader, TitleIsTheFileNameOfThePath)
{
    struct Case {
        const char* path;
        const char* titleLine;
    };
    const Case cases[] = {
        {"/Books/war.and.peace.html", "<TITLE>war.and.peace.html</TITLE>"},
        {"book.html", "<TITLE></TITLE>"}, // no separator, no title
        {"/TABLE.html", "<TITLE>TABLE.html</TITLE>"},
        // A UTF-8 name is written in the page's code page.
        {"/b/\xD0\x92\xD0\xBE\xD0\xB9\xD0\xBD\xD0\xB0.html", "<TITLE>\xC2\xEE\xE9\xED\xE0.html</TITLE>"},
        // Characters that would put markup or a line break into the head are references.
        {"/b/<BODY>&.html", "<TITLE>&lt;BODY&gt;&amp;.html</TITLE>"},
        {"/b/two\rlines.html", "<TITLE>two&#13;lines.html</TITLE>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitCrLf(PageHeaderText(c.path, TViewStyle{}))[2], c.titleLine) << c.path;
}

TEST(PageFrame, HeaderAndFooterFrameTheBodyOfAPageBeingWritten)
{
    TTempDir dir;
    const std::string path = dir.File("book.html");
    test::WriteFileBytes(path, std::string(100000, 'o'));
    TViewStyle style;
    style.TextWidth = 60;
    TFileReplacement page(PlatformFileSystem(), path, LinkAtTarget::ReplaceName);
    WritePageHeader(page.Writer(), path, style);
    page.Writer().Write("<BR><A Name=a1>body\r\n");
    AppendPageFooter(page.Writer());
    page.Commit();
    const std::string expectedFooter = CrLfLines({
        "</A><BR>&nbsp;<BR>Formatted by the <I>Verdask Library Text Converter</I>, <A HREF=" +
            std::string(HomePageAddress) + "><NOBR>" + std::string(HomePageAddress) + "</NOBR></A>",
        "</TD></TR></TABLE>",
        "</BODY></HTML>",
    });
    EXPECT_EQ(ReadFileBytes(path), PageHeaderText(path, style) + "<BR><A Name=a1>body\r\n" + expectedFooter);
    EXPECT_EQ(PageFooterText(), expectedFooter);
}

TEST(PageFrame, InvariantsTheReadersRelyOn)
{
    const auto lines = SplitCrLf(PageHeaderText("/b/BODY<BODY.html", TViewStyle{}));
    std::size_t bodyLine = lines.size();
    for (std::size_t i = 0; i < lines.size() && bodyLine == lines.size(); ++i) {
        if (lines[i].find("<BODY") != std::string::npos)
            bodyLine = i;
    }
    ASSERT_EQ(bodyLine, 11u) << "the body start line is the first holding <BODY";
    EXPECT_EQ(lines[bodyLine + 1], HeaderEndMarker);
    EXPECT_TRUE(lines[9].starts_with(ScriptLinePrefix));
}

} // namespace
} // namespace verdask
