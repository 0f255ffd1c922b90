#include "style/Restyle.h"

#include "files/Errors.h"
#include "style/PageFrame.h"
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

const std::string Body = CrLfLines({"<BR><A Name=a1>&nbsp;First", "</A><BR><A Name=a2>&nbsp;Second"});

TViewStyle NewStyle()
{
    TViewStyle style;
    style.FontName = "Georgia";
    style.TextWidth = 70;
    style.Justification = true;
    return style;
}

struct RestyleFixture : ::testing::Test {
    TTempDir Dir;
    std::string PagePath = Dir.File("book.html");
    std::vector<TForeignChoice> Choices;
    std::vector<std::optional<std::string>> BackupNames;
    int Asked = 0;

    TRestyleQuestions Questions()
    {
        return {[this] {
                    ++Asked;
                    return Choices.at(static_cast<std::size_t>(Asked - 1));
                },
                [this] {
                    auto name = BackupNames.front();
                    BackupNames.erase(BackupNames.begin());
                    return name;
                }};
    }
    // A page of this program with a bookmark in its head.
    std::string OwnPage()
    {
        std::string page = PageHeaderText(PagePath, TViewStyle{}) + Body + PageFooterText();
        const std::string bookmark =
            "<SCRIPT language=\"javascript\">function doLoad() {window.navigate('#a1'); window.focus();}</SCRIPT>";
        page.replace(page.find(PlainScriptLine), PlainScriptLine.size(), bookmark);
        return page;
    }
    std::string Restyled(const std::string& rest) const { return PageHeaderText(PagePath, NewStyle()) + rest; }
};

const std::string Foreign = CrLfLines({"<html><head><title>other</title></head>", "<body>", "<p>dropped line</p>",
                                       "<p>kept line</p>", "</body></html>"});
const std::string ForeignRest = CrLfLines({"<p>kept line</p>", "</body></html>"});

TEST_F(RestyleFixture, APageOfThisProgramKeepsItsBodyAndLosesItsBookmark)
{
    WriteFileBytes(PagePath, OwnPage());
    WriteFileBytes(Dir.File("VerdaskTemp._a_"), "stale"); // removed first
    const TRestyleResult result = RestylePage(PagePath, NewStyle(), Questions());
    EXPECT_EQ(result.Code, 0);
    EXPECT_TRUE(result.CloseEditor);
    EXPECT_TRUE(result.ShowPage);
    EXPECT_EQ(Asked, 0) << "no question for an own page";
    EXPECT_EQ(ReadFileBytes(PagePath), Restyled(Body + PageFooterText()));
    EXPECT_EQ(FolderEntries(Dir.Path()), std::vector<std::string>{"book.html"});
}

TEST_F(RestyleFixture, TheReadmeIsNeverRestyledButAReadmeInCapitalsIs)
{
    const std::string readme = Dir.File("readme.html");
    WriteFileBytes(readme, "<html><body>manual</body></html>");
    const TRestyleResult result = RestylePage(readme, NewStyle(), Questions());
    EXPECT_EQ(result.Code, 0);
    EXPECT_TRUE(result.CloseEditor);
    EXPECT_FALSE(result.ShowPage);
    EXPECT_EQ(ReadFileBytes(readme), "<html><body>manual</body></html>");

    const std::string capitals = Dir.File("README.HTML");
    WriteFileBytes(capitals, Foreign);
    Choices = {TForeignChoice::NoBackup};
    EXPECT_TRUE(RestylePage(capitals, NewStyle(), Questions()).ShowPage);
}

TEST_F(RestyleFixture, TheForeignPageChoices)
{
    struct Case {
        const char* why;
        TForeignChoice choice;
        std::optional<std::string> backupName;
        bool restyled;
        std::vector<std::string> files;
    };
    const std::string chosen = Dir.File("kept.old");
    const Case cases[] = {
        {"no backup", TForeignChoice::NoBackup, std::nullopt, true, {"book.html"}},
        {"beside, replacing an old one", TForeignChoice::BackupBeside, std::nullopt, true, {"book.htm_", "book.html"}},
        {"a chosen name", TForeignChoice::BackupChosen, chosen, true, {"book.html", "kept.old"}},
        {"a chosen name, then cancel", TForeignChoice::BackupChosen, std::nullopt, false, {"book.html"}},
        {"cancel", TForeignChoice::Cancel, std::nullopt, false, {"book.html"}},
    };
    for (const auto& c : cases) {
        for (const auto& name : FolderEntries(Dir.Path()))
            std::filesystem::remove(Dir.Path() / name);
        WriteFileBytes(PagePath, Foreign);
        if (c.choice == TForeignChoice::BackupBeside)
            WriteFileBytes(Dir.File("book.htm_"), "an older backup");
        Choices = {c.choice};
        Asked = 0;
        BackupNames = {c.backupName};
        const TRestyleResult result = RestylePage(PagePath, NewStyle(), Questions());
        EXPECT_EQ(result.Code, 0) << c.why;
        EXPECT_EQ(result.CloseEditor, c.restyled) << c.why;
        EXPECT_EQ(ReadFileBytes(PagePath), c.restyled ? Restyled(ForeignRest) : Foreign) << c.why;
        EXPECT_EQ(FolderEntries(Dir.Path()), c.files) << c.why;
        if (c.choice == TForeignChoice::BackupBeside) {
            EXPECT_EQ(ReadFileBytes(Dir.File("book.htm_")), Foreign);
        }
        if (c.backupName) {
            EXPECT_EQ(ReadFileBytes(chosen), Foreign);
        }
    }
    EXPECT_EQ(BackupName("/b/book.html"), "/b/book.htm_");
    EXPECT_EQ(BackupName("/b/book.htm"), "/b/book.ht_");
}

TEST_F(RestyleFixture, OddBodyTagsAndLineEnds)
{
    // "<Body" is neither "<BODY" nor "<body": foreign, and nothing of it is kept.
    WriteFileBytes(PagePath, CrLfLines({"<html>", "<Body>", "text"}));
    Choices = {TForeignChoice::NoBackup};
    RestylePage(PagePath, NewStyle(), Questions());
    EXPECT_EQ(ReadFileBytes(PagePath), Restyled(""));

    // Lone CR ends a line (written with CR LF), a lone LF stays, Ctrl-Z ends the copy.
    std::string page = PageHeaderText(PagePath, TViewStyle{}) + "one\rtwo\nstill two\r\nthree\x1A" "gone\r\n";
    WriteFileBytes(PagePath, page);
    RestylePage(PagePath, NewStyle(), Questions());
    EXPECT_EQ(ReadFileBytes(PagePath), Restyled("one\r\ntwo\nstill two\r\nthree\r\n"));

    // A foreign page with LF line ends is one line: only the new header remains.
    WriteFileBytes(PagePath, "<html>\n<body>\n<p>text</p>\n</body></html>\n");
    Choices = {TForeignChoice::NoBackup, TForeignChoice::NoBackup};
    Asked = 0;
    RestylePage(PagePath, NewStyle(), Questions());
    EXPECT_EQ(ReadFileBytes(PagePath), Restyled(""));
}

TEST_F(RestyleFixture, FailureCodesFromRealFailures)
{
    // 2: the temporary name is taken by a folder, which the rename does not replace.
    const std::string page = OwnPage();
    WriteFileBytes(PagePath, page);
    std::filesystem::create_directory(Dir.Path() / "VerdaskTemp._a_");
    EXPECT_EQ(RestylePage(PagePath, NewStyle(), Questions()).Code, 2);
    EXPECT_EQ(ReadFileBytes(PagePath), page);
    std::filesystem::remove(Dir.Path() / "VerdaskTemp._a_");

    // 6: the backup name is taken by a folder.
    WriteFileBytes(PagePath, Foreign);
    std::filesystem::create_directory(Dir.Path() / "book.htm_");
    Choices = {TForeignChoice::BackupBeside};
    const TRestyleResult result = RestylePage(PagePath, NewStyle(), Questions());
    EXPECT_EQ(result.Code, 6);
    EXPECT_TRUE(result.CloseEditor);
    EXPECT_FALSE(result.ShowPage);
    EXPECT_EQ(ReadFileBytes(PagePath), Restyled(ForeignRest));
    EXPECT_EQ(ReadFileBytes(Dir.File("VerdaskTemp._a_")), Foreign) << "the old page is kept in the temporary file";
}

TEST_F(RestyleFixture, EveryFailingFileCallKeepsThePageOrReportsWhereItIs)
{
    for (const TForeignChoice choice : {TForeignChoice::NoBackup, TForeignChoice::BackupBeside,
                                        TForeignChoice::BackupChosen, TForeignChoice::Cancel}) {
        for (const bool own : {true, false}) {
            const std::string old = own ? OwnPage() : Foreign;
            const std::string restyled = own ? Restyled(Body + PageFooterText()) : Restyled(ForeignRest);
            auto run = [&](FileSystem& files) {
                for (const auto& name : FolderEntries(Dir.Path()))
                    std::filesystem::remove_all(Dir.Path() / name);
                WriteFileBytes(PagePath, old);
                Choices = {choice};
                Asked = 0;
                BackupNames = {Dir.File("chosen.bak")};
                return RestylePage(PagePath, NewStyle(), Questions(), files);
            };
            test::TFailingFileSystem counting;
            run(counting);
            for (int failAt = 1; failAt <= counting.Calls(); ++failAt) {
                test::TFailingFileSystem failing(failAt);
                TRestyleResult result;
                bool thrown = false;
                try {
                    result = run(failing);
                } catch (const EInOutError&) {
                    thrown = true;
                }
                const std::string call = failing.Log()[static_cast<std::size_t>(failAt - 1)];
                const std::string temporary = Dir.File("VerdaskTemp._a_");
                if (thrown || result.Code == 1 || result.Code == 2) {
                    EXPECT_EQ(ReadFileBytes(PagePath), old) << call;
                } else if (result.Code == 4 || result.Code == 5) {
                    EXPECT_EQ(ReadFileBytes(temporary), old) << "the old page is in the temporary file: " << call;
                } else {
                    const bool cancelled = !own && choice == TForeignChoice::Cancel;
                    EXPECT_EQ(ReadFileBytes(PagePath), cancelled ? old : restyled) << call;
                    if (result.Code == 3 || result.Code == 6) {
                        EXPECT_EQ(ReadFileBytes(temporary), old) << call;
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace verdask
