#include "conversion/ConvertAndSave.h"

#include "config/Conf.h"
#include "conversion/Errors.h"
#include "conversion/PageFrame.h"
#include "conversion/Prompts.h"
#include "conversion/Source.h"
#include "style/ViewStyle.h"
#include "support/FailingFileSystem.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace verdask {
namespace {

using test::CrLfLines;
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

TEST_F(ConvertFixture, FailuresLeaveThePartWrittenSoFar)
{
    Source("tale.txt");
    conf.SetValue(ConfKey::NonBreakingSpaces, "x");
    EXPECT_THROW(Convert(), EConvertError);
    EXPECT_EQ(ReadFileBytes(dir.File("tale.html")), PageHeaderText(dir.File("tale.html"), style))
        << "the header only";

    conf.SetValue(ConfKey::NonBreakingSpaces, "4");
    std::filesystem::remove(dir.File("tale.html"));
    std::filesystem::remove(source.SourcePath); // the text vanished since it was loaded
    EXPECT_THROW(Convert(), EInOutError);

    Source("tale.txt");
    std::filesystem::remove(dir.File("tale.html"));
    std::filesystem::create_directory(dir.Path() / "tale.html"); // a folder where the page must go
    prompts.YesNoAnswers = {true};
    EXPECT_THROW(Convert(), EInOutError);
}

TEST_F(ConvertFixture, EveryFailingFileCallLeavesTheTextAndReportsTheError)
{
    Source("tale.txt");
    test::TFailingFileSystem counting;
    ASSERT_TRUE(Convert(counting));
    const int calls = counting.Calls();
    for (int failAt = 1; failAt <= calls; ++failAt) {
        std::filesystem::remove(dir.File("tale.html"));
        test::TFailingFileSystem failing(failAt);
        std::optional<std::string> page;
        try {
            page = Convert(failing);
        } catch (const EInOutError&) {
        }
        EXPECT_EQ(ReadFileBytes(source.SourcePath), Book) << failing.Log()[failAt - 1];
        if (page) { // only the existence test can fail unnoticed
            EXPECT_EQ(ReadFileBytes(*page), ExpectedPage(*page)) << failing.Log()[failAt - 1];
        }
    }
}

} // namespace
} // namespace verdask
