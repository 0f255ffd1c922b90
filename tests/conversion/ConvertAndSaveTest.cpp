// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/ConvertAndSave.h"

#include "config/Conf.h"
#include "conversion/Source.h"
#include "files/Errors.h"
#include "files/Prompts.h"
#include "style/PageFrame.h"
#include "style/ViewStyle.h"
#include "support/FailingFileSystem.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace verdask {
namespace {

using test::CrLfLines;
using test::FolderEntries;
using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;

const std::string Book = CrLfLines({"Author", "Title", "     First -- line", "     Second"});
const std::string TitleDialog = "Save";
const std::string ExistsTitle = "File exists. Choose another name.";

struct ConvertFixture : ::testing::Test {
    ConvertFixture()
    {
        conf.SetDefaults();
        dialog.Title = TitleDialog;
    }

    std::string Source(const std::string& name, const std::string& text = Book)
    {
        const std::string path = dir.File(name);
        WriteFileBytes(path, text);
        source.SourcePath = path;
        source.IndentWidth = 5;
        return path;
    }

    std::optional<std::string> Convert(FileSystem& fileSystem = PlatformFileSystem())
    {
        return ConvertAndSave(conf, source, style, dialog, prompts, TSaveTexts{}, {}, fileSystem);
    }

    std::string ExpectedPage(const std::string& path) const
    {
        return PageHeaderText(path, style) +
               CrLfLines({"<P style=\"text-align: center\"><B>Title</B></P>",
                          "<BR><A Name=a1>&nbsp;&nbsp;&nbsp;&nbsp;First &#150; line",
                          "</A><BR><A Name=a2>&nbsp;&nbsp;&nbsp;&nbsp;Second"}) +
               PageFooterText();
    }

    TTempDir dir;
    TConf conf;
    TSourceState source;
    TViewStyle style;
    TFileDialog dialog;
    test::TScriptedPrompts prompts;
};

TEST_F(ConvertFixture, SameDirectoryWritesBesideTheTextWithoutAsking)
{
    Source("tale.txt");
    const auto page = Convert();
    ASSERT_TRUE(page);
    EXPECT_EQ(*page, dir.File("tale.html"));
    EXPECT_EQ(ReadFileBytes(*page), ExpectedPage(*page));
    EXPECT_TRUE(prompts.SaveDialogsShown.empty());
    EXPECT_EQ(ReadFileBytes(source.SourcePath), Book);
}

TEST_F(ConvertFixture, PageNames)
{
    EXPECT_EQ(PageNameFor("/Books/tale.txt"), "/Books/tale.html");
    EXPECT_EQ(PageNameFor("/Books/tale"), "/Books/tale.html");
    EXPECT_EQ(PageNameFor("/Books/my.tale.txt"), "/Books/my.tale.html");
    EXPECT_EQ(PageNameFor("/Books.d/tale"), "/Books.d/tale.html");
}

TEST_F(ConvertFixture, TheSaveDialogStartsInTheSaveDirectoryAndMovesIt)
{
    Source("tale.txt");
    std::filesystem::create_directory(dir.Path() / "out");
    conf.SetValue(ConfKey::SameDirectory, "No");
    conf.SetValue(ConfKey::SaveDirectory, "/pages");
    prompts.DialogAnswers = {dir.File("out/x.html")};
    const auto page = Convert();
    ASSERT_TRUE(page);
    ASSERT_EQ(prompts.SaveDialogsShown.size(), 1u);
    EXPECT_EQ(prompts.SaveDialogsShown[0].FileName, "/pages/tale.html");
    EXPECT_EQ(*page, dir.File("out/x.html"));
    EXPECT_EQ(conf.GetValue(ConfKey::SaveDirectory), dir.File("out"));
    EXPECT_EQ(ReadFileBytes(*page), ExpectedPage(*page));

    prompts.DialogAnswers = {std::nullopt};
    EXPECT_FALSE(Convert());
}

TEST_F(ConvertFixture, AnExistingPageAndNoAsksForAnotherNameUnderTheExistsTitle)
{
    Source("tale.txt");
    WriteFileBytes(dir.File("tale.html"), "old page");
    WriteFileBytes(dir.File("taken.html"), "another page");
    prompts.YesNoAnswers = {false};
    prompts.DialogAnswers = {dir.File("taken.html"), dir.File("new.html")};
    const auto page = Convert();
    ASSERT_TRUE(page);
    EXPECT_EQ(*page, dir.File("new.html"));
    ASSERT_EQ(prompts.Questions.size(), 1u) << "an existing name in the loop is not asked about again";
    EXPECT_EQ(prompts.Questions[0].Text, "Overwrite the existing file?");
    ASSERT_EQ(prompts.SaveDialogsShown.size(), 2u);
    for (const auto& shown : prompts.SaveDialogsShown)
        EXPECT_EQ(shown.Title, ExistsTitle);
    EXPECT_EQ(dialog.Title, TitleDialog) << "the title is restored";
    EXPECT_EQ(conf.GetValue(ConfKey::SaveDirectory), dir.Path().string());
    EXPECT_EQ(ReadFileBytes(dir.File("tale.html")), "old page");
    EXPECT_EQ(ReadFileBytes(dir.File("taken.html")), "another page");
}

TEST_F(ConvertFixture, CancellingTheLoopWritesNothingAndRestoresTheTitle)
{
    Source("tale.txt");
    WriteFileBytes(dir.File("tale.html"), "old page");
    prompts.YesNoAnswers = {false};
    prompts.DialogAnswers = {dir.File("tale.html"), std::nullopt};
    EXPECT_FALSE(Convert());
    EXPECT_EQ(dialog.Title, TitleDialog);
    EXPECT_EQ(ReadFileBytes(dir.File("tale.html")), "old page");
    EXPECT_EQ(conf.GetValue(ConfKey::SaveDirectory), dir.Path().string()) << "updated at every choice";
}

TEST_F(ConvertFixture, AnExistingPageAndYesIsReplacedWhole)
{
    Source("tale.txt");
    WriteFileBytes(dir.File("tale.html"), std::string(50000, 'o'));
    prompts.YesNoAnswers = {true};
    const auto page = Convert();
    ASSERT_TRUE(page);
    EXPECT_EQ(ReadFileBytes(*page), ExpectedPage(*page));
    EXPECT_EQ(dialog.Title, TitleDialog);
}

TEST(CarriedPlace, TheSameParagraphForAsManyElseTheSameShare)
{
    const struct {
        TPagePlace Before;
        std::int64_t Paragraphs;
        std::int64_t Carried;
    } rows[] = {
        {{0, 10}, 10, 0},  {{4, 10}, 10, 4}, {{4, 10}, 20, 8},  {{10, 10}, 3, 3},
        {{1, 100}, 10, 1}, {{4, 0}, 10, 4},  {{40, 0}, 10, 10}, {{4, 10}, 0, 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CarriedPlace(row.Before, row.Paragraphs), row.Carried)
            << row.Before.Anchor << "/" << row.Before.Paragraphs << " to " << row.Paragraphs;
}

TEST_F(ConvertFixture, ABookConvertedAgainKeepsTheReadersPlace)
{
    const auto book = [](int paragraphs) {
        std::vector<std::string> lines = {"Author", "Title"};
        for (int i = 1; i <= paragraphs; ++i)
            lines.push_back("     Paragraph " + std::to_string(i));
        return CrLfLines(lines);
    };
    Source("tale.txt", book(10));
    const std::string page = dir.File("tale.html");
    WritePage(page, conf, source, style, {});
    const std::string fresh = ReadFileBytes(page);
    ASSERT_EQ(SaveBookmark(page, 6), TBookmarkResult::Saved);
    WritePage(page, conf, source, style, {});
    EXPECT_EQ(StoredBookmark(page), 6) << "the same paragraphs: the same place";
    std::string expected = fresh;
    expected.replace(expected.find(PlainScriptLine), PlainScriptLine.size(), MakeBookmarkScript(6));
    EXPECT_EQ(ReadFileBytes(page), expected) << "the page but its bookmark is the fresh one";

    Source("tale.txt", book(20));
    WritePage(page, conf, source, style, {});
    EXPECT_EQ(StoredBookmark(page), 12) << "twice the paragraphs: the same share of the book";
    EXPECT_EQ(LastParagraph(page), 20);
    EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"tale.html", "tale.txt"}));

    WriteFileBytes(page, CrLfLines({"<html><body>", MakeBookmarkScript(5), "</body></html>"}));
    prompts.YesNoAnswers = {true};
    ASSERT_TRUE(Convert());
    EXPECT_EQ(StoredBookmark(page), 0) << "another program's page has no place to give";
}

TEST_F(ConvertFixture, APageIsNeverWrittenOverItsOwnText)
{
    // A text named .html, chosen through the all-files filter.
    const std::string path = Source("book.html");
    prompts.DialogAnswers = {path, std::nullopt};
    EXPECT_FALSE(Convert());
    EXPECT_TRUE(prompts.Questions.empty()) << "no overwrite question for the text itself";
    ASSERT_EQ(prompts.SaveDialogsShown.size(), 2u);
    EXPECT_EQ(prompts.SaveDialogsShown[0].Title, ExistsTitle);
    EXPECT_EQ(prompts.SaveDialogsShown[0].FileName, path);
    EXPECT_EQ(ReadFileBytes(path), Book);

    prompts.DialogAnswers = {dir.File("book2.html")};
    const auto page = Convert();
    ASSERT_TRUE(page);
    EXPECT_EQ(ReadFileBytes(path), Book);
    EXPECT_EQ(ReadFileBytes(*page), ExpectedPage(*page));

    // Another spelling of the same file is the same file.
    std::filesystem::create_symlink(path, dir.Path() / "link.html");
    conf.SetValue(ConfKey::SameDirectory, "No");
    prompts.DialogAnswers = {dir.File("link.html"), std::nullopt};
    EXPECT_FALSE(Convert());
    EXPECT_EQ(ReadFileBytes(path), Book);
}

TEST_F(ConvertFixture, AFailedConversionLeavesNoPartOfAPageAndKeepsTheOldOne)
{
    const std::string page = dir.File("tale.html");
    Source("tale.txt");
    conf.SetValue(ConfKey::NonBreakingSpaces, "x");
    EXPECT_THROW(Convert(), EConvertError);
    EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"tale.txt"})) << "no page, no temporary file";

    // Replacing a page the reader has read: the old page stays until the new one is whole.
    conf.SetValue(ConfKey::NonBreakingSpaces, "4");
    const std::string oldPage = "an old page with its reading position";
    WriteFileBytes(page, oldPage);
    prompts.YesNoAnswers = {true};
    std::filesystem::remove(source.SourcePath); // the text vanished since it was loaded
    try {
        Convert();
        ADD_FAILURE() << "a vanished text converts";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.Path(), source.SourcePath) << "the error names the text";
    }
    EXPECT_EQ(ReadFileBytes(page), oldPage);
    EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"tale.html"}));

    Source("tale.txt");
    std::filesystem::remove(page);
    std::filesystem::create_directory(dir.Path() / "tale.html"); // a folder where the page must go
    prompts.YesNoAnswers = {true};
    try {
        Convert();
        ADD_FAILURE() << "a page is written over a folder";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.Path(), page) << "the error names the page, not the temporary file";
    }
    EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"tale.html", "tale.txt"}));

    // A link planted at the name an earlier version wrote through changes nothing it points to.
    std::filesystem::remove(page);
    WriteFileBytes(dir.File("victim"), "not to be touched");
    std::filesystem::create_symlink(dir.File("victim"), dir.File("VerdaskTemp._p_"));
    ASSERT_TRUE(Convert());
    EXPECT_EQ(ReadFileBytes(page), ExpectedPage(page));
    EXPECT_EQ(ReadFileBytes(dir.File("victim")), "not to be touched");
    EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"VerdaskTemp._p_", "tale.html", "tale.txt", "victim"}));
}

TEST_F(ConvertFixture, ATextNamedWithoutAFolderIsConvertedInTheWorkingFolder)
{
    Source("tale.txt");
    source.SourcePath = "tale.txt";
    const auto working = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    test::TFailingFileSystem watching;
    const auto page = Convert(watching);
    std::filesystem::current_path(working);
    ASSERT_EQ(page, "tale.html");
    EXPECT_EQ(ReadFileBytes(dir.File("tale.html")), ExpectedPage("tale.html"));
    for (const auto& call : watching.Log())
        EXPECT_EQ(call.find(" /"), std::string::npos) << "a file outside the working folder: " << call;
}

TEST_F(ConvertFixture, EveryFailingFileCallLeavesTheTextAndTheOldPageOrTheNewOne)
{
    const std::string page = dir.File("tale.html");
    const std::string oldPage = "an old page";
    for (const bool replacing : {false, true}) {
        Source("tale.txt");
        auto run = [&](FileSystem& files) -> std::optional<std::string> {
            std::filesystem::remove(page);
            if (replacing)
                WriteFileBytes(page, oldPage);
            prompts.YesNoAnswers = {true};
            return Convert(files);
        };
        test::TFailingFileSystem counting;
        ASSERT_TRUE(run(counting));
        for (int failAt = 1; failAt <= counting.Calls(); ++failAt) {
            test::TFailingFileSystem failing(failAt);
            bool written = false;
            try {
                written = run(failing).has_value();
            } catch (const EInOutError&) {
            }
            const std::string failed = failing.Log()[static_cast<std::size_t>(failAt - 1)];
            EXPECT_EQ(ReadFileBytes(source.SourcePath), Book) << failed;
            // The existence test can fail unnoticed, and closing the file and
            // flushing the folder fail after the rename: the page is then written whole.
            if (written || failing.RenamedBeforeFailure(page)) {
                EXPECT_EQ(ReadFileBytes(page), ExpectedPage(page)) << failed;
            } else if (replacing) {
                EXPECT_EQ(ReadFileBytes(page), oldPage) << failed;
            } else {
                EXPECT_FALSE(std::filesystem::exists(page)) << failed;
            }
            // Only a failed removal leaves the temporary file, which never holds the only copy of anything.
            if (!failed.starts_with("remove")) {
                EXPECT_EQ(test::TemporaryFilesIn(dir.Path()), std::vector<std::string>{}) << failed;
            }
            test::RemoveTemporaryFiles(dir.Path());
        }
    }
}

} // namespace
} // namespace verdask
