// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/StyleFile.h"

#include "files/Errors.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

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

TEST(StyleFile, KeysInAnyOrderAndCaseAndOnlyExactlyOneJustifies)
{
    TTempDir dir;
    const std::string path = dir.File("b.sty");
    auto load = [&](const std::string& justification) {
        WriteFileBytes(path, CrLfLines({"textwidth=50", "fontsize=300", "LINEHEIGHT=20", "LetterSpacing=2",
                                        "Justification=" + justification, "Other=x"}));
        TViewStyle style;
        ReadStyleFile(path, style);
        return style;
    };
    const TViewStyle style = load("1");
    EXPECT_EQ(style.FontSize, 44);
    EXPECT_EQ(style.LineHeight, 20);
    EXPECT_EQ(style.TextWidth, 50);
    EXPECT_TRUE(style.Justification);
    EXPECT_EQ(style.FontColor, "") << "a missing key reads as empty text";
    for (const char* no : {"true", "01", " 1", "0"})
        EXPECT_FALSE(load(no).Justification) << no;
}

TEST(StyleFile, ABadNumberChangesNothing)
{
    TTempDir dir;
    const std::string path = dir.File("c.sty");
    WriteFileBytes(path, CrLfLines({"FontColor=#111111", "BackColor=#222222", "FontName=Serif", "FontSize=big",
                                    "LineHeight=30"}));
    TViewStyle style;
    try {
        ReadStyleFile(path, style);
        ADD_FAILURE();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'big' is not a valid integer value");
    }
    EXPECT_EQ(style, TViewStyle{}) << "a file is taken whole or not at all";

    EXPECT_THROW(ReadStyleFile(dir.File("missing.sty"), style), EFOpenError);
    EXPECT_THROW(WriteStyleFile(dir.File("no/folder.sty"), style), EFCreateError);
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
