// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/Contents.h"

#include "config/Conf.h"
#include "conversion/ConvertAndSave.h"
#include "conversion/Source.h"
#include "files/Cp1251.h"
#include "style/ViewStyle.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace verdask {
namespace {

using test::TTempDir;

struct Contents : ::testing::Test {
    // The page the program makes of a text (UTF-8 here, windows-1251 in the file).
    std::vector<THeading> Of(const std::vector<std::string>& lines)
    {
        test::WriteFileBytes(dir.File("book.txt"), Utf8ToHtml1251(test::CrLfLines(lines)));
        TConf conf;
        conf.SetDefaults();
        TSourceState source;
        source.SourcePath = dir.File("book.txt");
        source.IndentWidth = 5;
        WritePage(dir.File("book.html"), conf, source, TViewStyle{}, {});
        return ReadContents(dir.File("book.html"));
    }

    // "depth anchor text" for each heading, text in UTF-8.
    static std::vector<std::string> Listed(const std::vector<THeading>& headings)
    {
        std::vector<std::string> listed;
        for (const THeading& heading : headings)
            listed.push_back(std::to_string(heading.Depth) + " " + std::to_string(heading.Anchor) +
                             (heading.AfterAnchor ? "+ " : " ") + Windows1251ToUtf8(heading.Text));
        return listed;
    }

    TTempDir dir;
};

TEST_F(Contents, EveryKindOfHeadingAtItsAnchorAndDepth)
{
    const std::vector<std::string> book = {
        "Автор",
        "Повесть о двух томах",
        "",
        "ТОМ ПЕРВЫЙ",
        "",
        "ЧАСТЬ ПЕРВАЯ",
        "I",
        "",
        "     Абзац один.",     // a1
        "- Глава вторая? - спросил он.",
        "     Абзац два.",      // a2
        "",
        "II.",
        "",
        "БЭЛА",
        "",
        "     Абзац три.",      // a3
        "",
        "* * *",
        "",
        "     Абзац четыре.",   // a4
        "",
        "Часть вторая",
        "",
        "Глава 3. Встреча",
        "",
        "     Абзац пять.",     // a5
        "",
        "ЖУРНАЛ ПЕЧОРИНА",
        "",
        "     Абзац шесть.",    // a6
        "",
        "Повесть о двух томах. Том 2",
        "",
        "ЭПИЛОГ",
        "",
        "     XII",              // a7: a numeral with the paragraph indent has its own anchor
        "     Абзац восемь.",   // a8
        "",
        "            *XIII*",    // a heading in the library's emphasis marks
        "",
        "     Абзац девять.",   // a10 (the emphasis line is a9)
        "",
        "ГЛАВА ПОСЛЕДНЯЯ",       // no paragraph starts after it: found from a10 on
        "",
        "Строка без отступа.",
    };
    EXPECT_EQ(Listed(Of(book)), (std::vector<std::string>{
                                    "0 0 Повесть о двух томах",
                                    "1 1 ТОМ ПЕРВЫЙ",
                                    "2 1 ЧАСТЬ ПЕРВАЯ",
                                    "3 1 I",
                                    "3 3 II. БЭЛА",
                                    "4 4 * * *",
                                    "2 5 Часть вторая",
                                    "3 5 Глава 3. Встреча",
                                    "3 6 ЖУРНАЛ ПЕЧОРИНА",
                                    "1 7 Повесть о двух томах. Том 2",
                                    "2 7 ЭПИЛОГ",
                                    "3 7 XII",
                                    "3 9 XIII",
                                    "3 10+ ГЛАВА ПОСЛЕДНЯЯ",
                                }));
}

TEST_F(Contents, AChapterOnTheTitleLineIsTheFirstChapterNotTheTitle)
{
    const std::vector<std::string> book = {
        "Автор",
        "ГЛАВА I",
        "",
        "     Абзац один.",  // a1
        "",
        "ГЛАВА II",
        "",
        "     Абзац два.",   // a2
    };
    EXPECT_EQ(Listed(Of(book)), (std::vector<std::string>{"1 1 ГЛАВА I", "1 2 ГЛАВА II"}));

    const std::vector<std::string> unindented = {"Автор", "ГЛАВА I", "", "Абзац один.", "", "ГЛАВА II", "", "Абзац два."};
    EXPECT_EQ(Listed(Of(unindented)), (std::vector<std::string>{"1 0+ ГЛАВА I", "1 0+ ГЛАВА II"}));
}

TEST_F(Contents, DialogueListsPoemsAndShortLinesAreNoHeadings)
{
    const std::vector<std::string> book = {
        "Автор",
        "Стихи и проза",
        "",
        "Глава первая",
        "",
        "     Абзац, в котором список:",
        "1.",
        "хлеб и соль,",
        "     Да.",
        "- Часть вторая, - сказал он.",
        "",
        "Немного лет тому назад,",
        "Там, где, сливаяся, шумят,",
        "2",
        "ОБНЯВШИСЬ, БУДТО ДВЕ СЕСТРЫ,",
        "Струи Арагвы и Куры,",
        "",
        "КРИК",
        "     Абзац после крика.",
    };
    EXPECT_EQ(Listed(Of(book)), (std::vector<std::string>{"0 0 Стихи и проза", "1 1 Глава первая"}));

    // Without a volume, part or chapter the contents are empty, breaks or not.
    EXPECT_TRUE(Of({"Автор", "Рассказ", "", "     Абзац.", "", "* * *", "", "     Ещё абзац."}).empty());
}

} // namespace
} // namespace verdask
