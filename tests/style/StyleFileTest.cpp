// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/StyleFile.h"

#include "files/Errors.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace verdask {
namespace {

using test::CrLfLines;
using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;

TEST(StyleFile, TheDefaultStyleFileLineByLine)
{
    TTempDir dir;
    WriteStyleFile(dir.File("default.sty"), TViewStyle{});
    EXPECT_EQ(ReadFileBytes(dir.File("default.sty")),
              CrLfLines({"FontColor=#000000", "BackColor=#FFFFFF", "FontName=Arial", "FontSize=14", "LineHeight=18",
                         "LetterSpacing=1", "Justification=0", "TextWidth=100"}));
    EXPECT_EQ(StyleFileText(TViewStyle{}), ReadFileBytes(dir.File("default.sty")));
}

TEST(StyleFile, SavedStylesLoadBack)
{
    TTempDir dir;
    TViewStyle style;
    style.FontColor = "#123456";
    style.FontName = "Times New Roman";
    style.LetterSpacing = 0;
    style.Justification = true;
    style.TextWidth = 40;
    WriteStyleFile(dir.File("a.sty"), style);
    TViewStyle loaded;
    ReadStyleFile(dir.File("a.sty"), loaded);
    EXPECT_EQ(loaded, style);

    style.FontName.clear();
    WriteStyleFile(dir.File("a.sty"), style);
    EXPECT_EQ(ReadFileBytes(dir.File("a.sty")).find("FontName"), std::string::npos);
    ReadStyleFile(dir.File("a.sty"), loaded);
    EXPECT_EQ(loaded.FontName, "");
}

// A good style file with one line given instead.
std::string StyleFileWith(const std::string& line)
{
    std::vector<std::string> lines = {"fontcolor=#111111", "BACKCOLOR=#2a2B2c", "FontName=PT Serif",
                                      "textwidth=50",      "fontsize=20",      "LINEHEIGHT=24",
                                      "LetterSpacing=2",   "Justification=1",  "Other=x"};
    const std::string key = line.substr(0, line.find('='));
    for (auto& kept : lines) {
        if (kept.size() > key.size() && kept[key.size()] == '=' &&
            std::equal(key.begin(), key.end(), kept.begin(), [](char a, char b) { return tolower(a) == tolower(b); }))
            kept = line;
    }
    return CrLfLines(lines);
}

TEST(StyleFile, KeysInAnyOrderAndCaseNumbersWithinTheirRangesAndOnlyExactlyOneJustifies)
{
    TTempDir dir;
    const std::string path = dir.File("b.sty");
    auto load = [&](const std::string& line) {
        WriteFileBytes(path, StyleFileWith(line));
        TViewStyle style;
        ReadStyleFile(path, style);
        return style;
    };
    const TViewStyle style = load("Other=y");
    EXPECT_EQ(style.FontColor, "#111111");
    EXPECT_EQ(style.BackColor, "#2a2B2c");
    EXPECT_EQ(style.FontName, "PT Serif");
    EXPECT_EQ(style.FontSize, 20);
    EXPECT_EQ(style.LineHeight, 24);
    EXPECT_EQ(style.TextWidth, 50);
    EXPECT_TRUE(style.Justification);
    for (const char* no : {"true", "01", " 1", "0"})
        EXPECT_FALSE(load(std::string("Justification=") + no).Justification) << no;
    // Out of range: the nearest end of the range.
    EXPECT_EQ(load("FontSize=-5").FontSize, 2);
    EXPECT_EQ(load("FontSize=300").FontSize, 72);
    EXPECT_EQ(load("LineHeight=256").LineHeight, 100);
    EXPECT_EQ(load("LetterSpacing=-1").LetterSpacing, 0);
    EXPECT_EQ(load("TextWidth=0").TextWidth, 30);
    EXPECT_EQ(load("FontName=\xD8\xF0\xE8\xF4\xF2_2-b.c").FontName, "\xD8\xF0\xE8\xF4\xF2_2-b.c")
        << "Cyrillic letters, in windows-1251";
}

TEST(StyleFile, AValueThatIsNoNumberNameOrColourChangesNothingAndIsNamed)
{
    TTempDir dir;
    const std::string path = dir.File("c.sty");
    const struct {
        std::string Line;
        std::string Reason;
    } rows[] = {
        {"FontSize=big", "FontSize: 'big' is not a valid integer value"},
        {"TextWidth=", "TextWidth: '' is not a valid integer value"},
        {"FontColor=#FFFFFF url(http://host/x.png)", "FontColor: '#FFFFFF url(http://host/x.png)' is not a colour"},
        {"BackColor=#FFF", "BackColor: '#FFF' is not a colour"},
        {"BackColor=#12345G", "BackColor: '#12345G' is not a colour"},
        {"FontColor=", "FontColor: '' is not a colour"},
    };
    for (const auto& row : rows) {
        WriteFileBytes(path, StyleFileWith(row.Line));
        TViewStyle style;
        try {
            ReadStyleFile(path, style);
            ADD_FAILURE() << row.Line;
        } catch (const EStyleValueError& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with(path + ": " + row.Reason)) << error.what();
        }
        EXPECT_EQ(style, TViewStyle{}) << "a file is taken whole or not at all";
    }
    // Every character that could end a name or put a rule, a comment or an address in a page.
    for (const std::string bad : {"/*", "*/", "'", "\"", "(", ")", "url", "@", "!", ":", ";", "{", "}", "<", ">", "\\",
                                  "&", "#", ","}) {
        const std::string name = bad == "url" ? "Arial url(x)" : "Arial" + bad + "x";
        WriteFileBytes(path, StyleFileWith("FontName=" + name));
        TViewStyle style;
        EXPECT_THROW(ReadStyleFile(path, style), EStyleValueError) << name;
    }
    EXPECT_THROW(ReadStyleFile(dir.File("missing.sty"), *std::make_unique<TViewStyle>()), EFOpenError);
    EXPECT_THROW(WriteStyleFile(dir.File("no/folder.sty"), TViewStyle{}), EFCreateError);
}

} // namespace
TEST(StylePresets, AreStyleFilesAsTheEditorWritesThemWithinItsRanges)
{
    int presets = 0;
    for (const auto& entry : std::filesystem::directory_iterator(VERDASK_PRESETS)) {
        ++presets;
        const std::string path = entry.path().string();
        TViewStyle style;
        ASSERT_NO_THROW(ReadStyleFile(path, style)) << path;
        EXPECT_EQ(ReadFileBytes(path), StyleFileText(style)) << path;
        EXPECT_EQ(WithinEditorRanges(style), style) << path;
        EXPECT_EQ(style.FontColor.size(), 7u) << path;
        EXPECT_NE(style.FontColor, style.BackColor) << path;
    }
    EXPECT_EQ(presets, 4) << "Day, Night, Sepia, Large print";
}

} // namespace verdask
