// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/Source.h"

#include "config/Conf.h"
#include "files/Errors.h"
#include "files/LineReader.h"
#include "files/Prompts.h"
#include "support/FailingFileSystem.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace verdask {
namespace {

using test::TScriptedPrompts;
using test::TTempDir;
using test::WriteFileBytes;
using Lines = std::vector<std::string>;

// Preview lines 0 to 9 and the last 9 are not examined; these fill them.
Lines Framed(const Lines& examined)
{
    Lines preview(10, "unexamined");
    preview.insert(preview.end(), examined.begin(), examined.end());
    preview.insert(preview.end(), 9, "          unexamined");
    return preview;
}

TEST(DetectIndent, TruncatedMeanOfTheInnerIndentedLines)
{
    EXPECT_EQ(DetectIndent(Framed({"     a", "     b", "     c", "      d"})), 5) << "mean 5.25";
    EXPECT_EQ(DetectIndent(Framed({"  a", "   b", "   c", "   d", "   e"})), 2) << "mean 2.8 truncates";
    EXPECT_EQ(DetectIndent(Framed({"   a", "letters", "", "      ", " ", "   b"})), 3)
        << "letters, empty and blank-only lines do not count";
    EXPECT_EQ(DetectIndent(Framed({"\t\ta", "text"})), 4) << "tabs are no indent; nothing counted gives 4";
    EXPECT_EQ(DetectIndent(Framed({})), 4);
}

TEST(DetectIndent, AFewLinesSetFarInGiveWayToTheMostCommonIndent)
{
    const auto lines = [](std::initializer_list<std::pair<int, int>> groups) {
        Lines made;
        for (const auto& [count, blanks] : groups)
            for (int i = 0; i < count; ++i)
                made.push_back(std::string(static_cast<std::size_t>(blanks), ' ') + "text");
        return Framed(made);
    };
    // Paragraphs of 5 blanks and an epigraph set in 20 to 42: the mean, 7, would make none.
    EXPECT_EQ(DetectIndent(lines({{30, 5}, {1, 20}, {1, 26}, {1, 30}, {1, 34}, {1, 38}, {1, 42}})), 5);
    EXPECT_EQ(DetectIndent(lines({{30, 5}, {6, 20}})), 5) << "a poem set in at one depth";
    EXPECT_EQ(DetectIndent(lines({{20, 2}, {20, 3}, {3, 40}})), 2) << "a tie: the smaller";
    EXPECT_EQ(DetectIndent(lines({{10, 2}, {10, 4}})), 3) << "half reach the mean: the mean stays";
    // Wrapped lines in 4, paragraphs in 7 (Gorky's "Детство"): the paragraphs reach the mean.
    EXPECT_EQ(DetectIndent(lines({{198, 4}, {137, 7}, {1, 12}})), 5);
    EXPECT_EQ(DetectIndent(lines({{80, 4}, {20, 7}})), 4) << "few paragraphs, but close to the mean";
}

TEST(DetectIndent, WhichLinesAreExamined)
{
    EXPECT_EQ(DetectIndent(Lines(19, "  two blanks")), 4) << "fewer than 20 lines: nothing examined";
    Lines twenty(20, "text");
    twenty[10] = "   three";
    EXPECT_EQ(DetectIndent(twenty), 3) << "20 lines: only the 11th";
    twenty[10] = "text";
    twenty[9] = "   three";
    twenty[11] = "   three";
    EXPECT_EQ(DetectIndent(twenty), 4);

    Lines full(360, "text");
    full[350] = "        eight"; // the last examined line of a full preview
    full[351] = " one";
    EXPECT_EQ(DetectIndent(full), 8);
}

TEST(ReadPreview, TakesTheFirst360Lines)
{
    TTempDir dir;
    std::string text;
    for (int i = 1; i <= 1000; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    WriteFileBytes(dir.File("book.txt"), text);
    const Lines preview = ReadPreview(dir.File("book.txt"));
    ASSERT_EQ(preview.size(), 360u);
    EXPECT_EQ(preview.front(), "line 1");
    EXPECT_EQ(preview.back(), "line 360");
}

TEST(DetectIndent, WrappedLinesIndentedLessThanTheParagraphsGoOnWithThem)
{
    // Paragraphs of four lines wrapped at about seventy characters, the last shorter.
    const auto book = [](int paragraph, int wrapped, int width, bool margin) {
        Lines lines;
        for (int i = 0; i < 40; ++i) {
            for (int line = 0; line < 4; ++line) {
                const int blanks = line == 0 ? paragraph : margin ? 0 : wrapped;
                const int length = line == 3 ? width / 3 : width - (i + line) % 6;
                lines.push_back(std::string(static_cast<std::size_t>(blanks), ' ') +
                                std::string(static_cast<std::size_t>(length), 'x'));
            }
            if (margin && i % 10 == 0) // a poem set in
                lines.insert(lines.end(), {std::string(10, ' ') + "verse", std::string(10, ' ') + "verse"});
        }
        return Framed(lines);
    };
    EXPECT_EQ(DetectIndent(book(5, 2, 72, false)), 3) << "the mean, 2, would make every line a paragraph";
    EXPECT_EQ(DetectIndent(book(3, 2, 72, false)), 3);
    EXPECT_EQ(DetectIndent(book(5, 2, 30, false)), 2) << "verse's width: the mean stays";
    EXPECT_EQ(DetectIndent(book(5, 0, 72, true)), 5) << "wrapped lines at the margin, as in the library's texts";
}

TEST(IndentWidthOfText, DetectsAsThePreviewDoesWithoutHoldingLines)
{
    TTempDir dir;
    const std::string path = dir.File("book.txt");
    Lines lines(12, "head");
    lines.push_back(std::string(200000, ' ') + "far"); // longer than a block, in pieces
    lines.push_back("   three");
    lines.push_back(std::string(100000, ' '));         // blanks only: not counted
    lines.push_back("text");
    for (int i = 0; i < 400; ++i)
        lines.push_back(i % 2 == 0 ? "     five" : "  two");
    WriteFileBytes(path, test::CrLfLines(lines));
    const int expected = DetectIndent(ReadPreview(path));
    EXPECT_EQ(ReadLineShapes(path)[12].Indent, 200000u) << "the long indent counts, read in pieces";

    TConf conf;
    conf.SetDefaults();
    EXPECT_EQ(IndentWidthOfText(conf, path), expected);
    conf.SetValue(ConfKey::Autodetect, "No");
    EXPECT_EQ(IndentWidthOfText(conf, path), 5);
}

TEST(SourceLineEnds, TextsWithLfLineEndsReadAsLines)
{
    TTempDir dir;
    const std::string path = dir.File("book.txt");
    struct Case {
        const char* why;
        std::string bytes;
        Lines lines;
    };
    const Case cases[] = {
        {"LF line ends", "a\nb\nc", {"a", "b", "c"}},
        {"LF with a CR before it", "a\nb\r\nc\r\n", {"a", "b", "c"}},
        {"a lone CR stays inside an LF line", "a\nb\rc\n", {"a", "b\rc"}},
        {"the first end is CR: the text-file rule, lone LFs inside", "a\r\nb\nc\r\n", {"a", "b\nc"}},
        {"a lone CR first", "a\rb\nc", {"a", "b\nc"}},
        {"Ctrl-Z before any line end", "ab\x1A\ncd\n", {"ab"}},
        {"Ctrl-Z in an LF text", "a\nb\x1A" "c\n", {"a", "b"}},
        {"no line end at all", "abc", {"abc"}},
    };
    for (const auto& c : cases) {
        WriteFileBytes(path, c.bytes);
        EXPECT_EQ(ReadPreview(path), c.lines) << c.why;
    }
}

struct LoadFixture : ::testing::Test {
    LoadFixture()
    {
        conf.SetDefaults();
        state.SourcePath = "/old/book.txt";
        state.Preview = {"old"};
        state.IndentWidth = 7;
    }

    bool Load()
    {
        return LoadSource(conf, dialog, prompts, [this] { ++bookmarks; }, state);
    }

    TTempDir dir;
    TConf conf;
    TFileDialog dialog;
    TScriptedPrompts prompts;
    TSourceState state;
    int bookmarks = 0;
};

TEST_F(LoadFixture, ALoadStoresTheFolderThePreviewAndTheIndent)
{
    const std::string path = dir.File("tale.txt");
    WriteFileBytes(path, test::CrLfLines(Framed({"   a", "   b"})));
    prompts.DialogAnswers = {path};
    ASSERT_TRUE(Load());
    EXPECT_EQ(bookmarks, 1) << "the shown page's position is saved first";
    EXPECT_EQ(conf.GetValue(ConfKey::OpenDirectory), dir.Path().string());
    EXPECT_EQ(state.SourcePath, path);
    EXPECT_EQ(state.Preview.size(), 21u);
    EXPECT_EQ(state.IndentWidth, 3);

    conf.SetValue(ConfKey::Autodetect, "yes"); // not exactly "Yes": detection is off
    conf.SetValue(ConfKey::LeadingSpaces, "6");
    prompts.DialogAnswers = {path};
    ASSERT_TRUE(Load());
    EXPECT_EQ(state.IndentWidth, 6);
}

TEST_F(LoadFixture, ATextInAnotherEncodingIsPreviewedDecoded)
{
    const std::string path = dir.File("tale.txt");
    WriteFileBytes(path, test::Recoded(test::CrLfLines(Framed({"   Ёлка", "   ель"})), "UTF-8", "KOI8-R"));
    prompts.DialogAnswers = {path};
    ASSERT_TRUE(Load());
    EXPECT_EQ(state.Encoding, TEncodingGuess{TSourceEncoding::Koi8R});
    EXPECT_EQ(state.Preview.at(10), "   \xA8\xEB\xEA\xE0");
    EXPECT_EQ(state.IndentWidth, 3);

    conf.SetValue(ConfKey::SourceEncoding, "cp866"); // chosen: read so even though it reads badly
    prompts.DialogAnswers = {path};
    ASSERT_TRUE(Load());
    EXPECT_EQ(state.Encoding, TEncodingGuess{TSourceEncoding::Cp866});
    EXPECT_TRUE(prompts.Questions.empty());
}

TEST_F(LoadFixture, AFileThatIsNoTextIsLoadedOnlyWhenTheUserSaysSo)
{
    const std::string path = dir.File("photo.jpg");
    WriteFileBytes(path, std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01", 13));
    prompts.DialogAnswers = {path};
    prompts.YesNoAnswers = {false};
    EXPECT_FALSE(Load());
    ASSERT_EQ(prompts.Questions.size(), 1u);
    EXPECT_EQ(prompts.Questions[0].Text, FormatMessage(NotATextQuestion, path));
    EXPECT_EQ(state.SourcePath, "/old/book.txt");
    EXPECT_EQ(state.Preview, Lines{"old"});

    prompts.DialogAnswers = {path};
    prompts.YesNoAnswers = {true};
    EXPECT_TRUE(Load());
    EXPECT_EQ(state.SourcePath, path);
    EXPECT_EQ(state.Encoding, TEncodingGuess{TSourceEncoding::Windows1251});
}

TEST_F(LoadFixture, CancellingChangesNothing)
{
    prompts.DialogAnswers = {std::nullopt};
    EXPECT_FALSE(Load());
    EXPECT_EQ(bookmarks, 0);
    EXPECT_EQ(state.SourcePath, "/old/book.txt");
    EXPECT_EQ(state.IndentWidth, 7);
    EXPECT_EQ(conf.GetValue(ConfKey::OpenDirectory), DefaultFolder());
}

TEST_F(LoadFixture, AFailedLoadKeepsTheLoadedText)
{
    std::filesystem::create_directory(dir.Path() / "folder.txt");
    prompts.DialogAnswers = {dir.File("folder.txt")};
    EXPECT_THROW(Load(), EInOutError);
    EXPECT_EQ(conf.GetValue(ConfKey::OpenDirectory), dir.Path().string()) << "stored before the read";
    EXPECT_EQ(state.SourcePath, "/old/book.txt");
    EXPECT_EQ(state.Preview, Lines{"old"});
    EXPECT_EQ(state.IndentWidth, 7);

    WriteFileBytes(dir.File("tale.txt"), "a\r\nb\r\n");
    conf.SetValue(ConfKey::Autodetect, "No");
    conf.SetValue(ConfKey::LeadingSpaces, "five");
    prompts.DialogAnswers = {dir.File("tale.txt")};
    EXPECT_THROW(Load(), EConvertError);
    EXPECT_EQ(state.SourcePath, "/old/book.txt");
    EXPECT_EQ(state.IndentWidth, 7);

    conf.SetValue(ConfKey::LeadingSpaces, "5");
    test::TFailingFileSystem failing(2); // the first read of the text
    prompts.DialogAnswers = {dir.File("tale.txt")};
    EXPECT_THROW(LoadSource(conf, dialog, prompts, nullptr, state, NotATextQuestion, failing), EInOutError);
    EXPECT_EQ(state.SourcePath, "/old/book.txt");
}

TEST_F(LoadFixture, ATextInTheRootStoresAnEmptyFolder)
{
    // "/book.txt" is the counterpart of "C:\book.txt", whose folder is "C:".
    prompts.DialogAnswers = {"/verdask-no-such-file.txt"};
    EXPECT_THROW(Load(), EInOutError);
    EXPECT_EQ(conf.GetValue(ConfKey::OpenDirectory), "");
}

} // namespace
} // namespace verdask
