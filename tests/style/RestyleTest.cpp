// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/Restyle.h"

#include "files/Errors.h"
#include "files/FileReplacement.h"
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

const std::string Foreign = CrLfLines({"<html><head><title>other</title></head>", "<body>", "<p>first line</p>",
                                       "<p>second line</p>", "</body></html>"});
const std::string ForeignRest = CrLfLines({"<p>first line</p>", "<p>second line</p>", "</body></html>"});

TEST_F(RestyleFixture, APageOfThisProgramKeepsItsBodyAndLosesItsBookmark)
{
    WriteFileBytes(PagePath, OwnPage());
    const TRestyleResult result = RestylePage(PagePath, NewStyle(), Questions());
    EXPECT_EQ(result.Code, 0);
    EXPECT_TRUE(result.CloseEditor);
    EXPECT_TRUE(result.ShowPage);
    EXPECT_EQ(Asked, 0) << "no question for an own page";
    EXPECT_EQ(ReadFileBytes(PagePath), Restyled(Body + PageFooterText()));
    EXPECT_EQ(FolderEntries(Dir.Path()), std::vector<std::string>{"book.html"});
}

TEST_F(RestyleFixture, APositionGivenIsTheBookmarkOfTheRestyledPage)
{
    WriteFileBytes(PagePath, OwnPage());
    EXPECT_EQ(RestylePage(PagePath, NewStyle(), Questions(), 51).Code, 0);
    EXPECT_EQ(ReadFileBytes(PagePath), PageHeaderText(PagePath, NewStyle(), 51) + Body + PageFooterText());
    EXPECT_NE(ReadFileBytes(PagePath).find("window.navigate('#a51')"), std::string::npos);
}

TEST_F(RestyleFixture, WhatAnEarlierRunLeftIsNeverDeletedNorWrittenThrough)
{
    // An earlier version killed midway left the whole old page only in
    // VerdaskTemp._a_ and the page cut short; a link at ._b_ points elsewhere.
    const std::string onlyCopy = OwnPage() + "the rest of the book\r\n";
    WriteFileBytes(Dir.File("VerdaskTemp._a_"), onlyCopy);
    WriteFileBytes(Dir.File("victim"), "not to be touched");
    std::filesystem::create_symlink(Dir.File("victim"), Dir.File("VerdaskTemp._b_"));
    WriteFileBytes(PagePath, OwnPage());
    EXPECT_EQ(RestylePage(PagePath, NewStyle(), Questions()).Code, 0);
    EXPECT_EQ(RestylePage(PagePath, TViewStyle{}, Questions()).Code, 0) << "and again";
    EXPECT_EQ(ReadFileBytes(Dir.File("VerdaskTemp._a_")), onlyCopy);
    EXPECT_EQ(ReadFileBytes(Dir.File("victim")), "not to be touched");
    EXPECT_EQ(LeftoverPageCopies(PagePath), std::vector<std::string>{Dir.File("VerdaskTemp._a_")});
    EXPECT_EQ(FolderEntries(Dir.Path()), (std::vector<std::string>{"VerdaskTemp._a_", "VerdaskTemp._b_", "book.html",
                                                                   "victim"}));
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

TEST_F(RestyleFixture, AnOwnPageKeepsItsLinesByTheTextFileRule)
{
    // Lone CR ends a line (written with CR LF), a lone LF stays, Ctrl-Z ends the copy.
    std::string page = PageHeaderText(PagePath, TViewStyle{}) + "one\rtwo\nstill two\r\nthree\x1A" "gone\r\n";
    WriteFileBytes(PagePath, page);
    RestylePage(PagePath, NewStyle(), Questions());
    EXPECT_EQ(ReadFileBytes(PagePath), Restyled("one\r\ntwo\nstill two\r\nthree\r\n"));
}

TEST_F(RestyleFixture, AForeignPageKeepsAllItsTextWhateverItsLineEndsBodyTagAndEncoding)
{
    const std::string utf8 = "\xD0\x9C\xD0\xB8\xD1\x80 \xE2\x95\x90"; // "Мир ═"
    const std::string in1251 = "\xCC\xE8\xF0 &#x2550;";
    const struct {
        const char* Why;
        std::string Page;
        std::string Rest; // after the new header
    } rows[] = {
        {"LF", "<html>\n<body>\n<p>text</p>\n</body></html>\n", "<p>text</p>\n</body></html>\n"},
        {"CR", "<html>\r<body>\r<p>text</p>\r", "<p>text</p>\r"},
        {"mixed", "<html>\r\n<BODY bgcolor=white>\n<p>a</p>\r<p>b</p>\r\n", "<p>a</p>\r<p>b</p>\r\n"},
        {"<Body> with text on its line", "<html><Body class=\"x\"><p>text</p></Body>", "<p>text</p></Body>"},
        {"no body", "<p>only</p>\r\n<p>text</p>", "<p>only</p>\r\n<p>text</p>"},
        {"a body tag cut by the end", "<p>text</p><body", "<p>text</p><body"},
        {"windows-1251", "<body>\r\n\xCC\xE8\xF0\x1A\x00tail", "\xCC\xE8\xF0\x1A\x00tail"},
        {"UTF-8 declared", "<meta charset=\"UTF-8\"><body>\n" + utf8, in1251},
        {"UTF-8 by its bytes", "<body>\n" + utf8, in1251},
        {"UTF-8 with a mark", "\xEF\xBB\xBF<body>" + utf8, in1251},
        {"UTF-16 with a mark", std::string("\xFF\xFE<\0b\0o\0d\0y\0>\0\x1C\x04", 16), "\xCC"},
        {"KOI8-R declared", "<meta http-equiv=Content-Type content='text/html; charset=koi8-r'><body>\xED\xC9\xD2",
         "\xCC\xE8\xF0"},
    };
    for (const auto& row : rows) {
        WriteFileBytes(PagePath, row.Page);
        Choices = {TForeignChoice::NoBackup};
        Asked = 0;
        EXPECT_EQ(RestylePage(PagePath, NewStyle(), Questions()).Code, 0) << row.Why;
        EXPECT_EQ(ReadFileBytes(PagePath), Restyled(row.Rest)) << row.Why;
    }

    // A charset the program does not read would be garbled: nothing is asked, nothing changes.
    const std::string greek = "<meta charset=iso-8859-7><body>\xE1\xE2";
    WriteFileBytes(PagePath, greek);
    Choices = {};
    Asked = 0;
    try {
        RestylePage(PagePath, NewStyle(), Questions());
        ADD_FAILURE() << "a Greek page was restyled";
    } catch (const EInOutError& error) {
        EXPECT_NE(std::string(error.what()).find("iso-8859-7"), std::string::npos) << error.what();
    }
    EXPECT_EQ(Asked, 0);
    EXPECT_EQ(ReadFileBytes(PagePath), greek);
}

TEST_F(RestyleFixture, ABackupThatCannotBeMadeLeavesThePageAsItWas)
{
    // A folder at the backup name.
    WriteFileBytes(PagePath, Foreign);
    std::filesystem::create_directory(Dir.Path() / "book.htm_");
    Choices = {TForeignChoice::BackupBeside};
    TRestyleResult result = RestylePage(PagePath, NewStyle(), Questions());
    EXPECT_EQ(result.Code, 6);
    EXPECT_FALSE(result.CloseEditor) << "the user may choose again";
    EXPECT_FALSE(result.ShowPage);
    EXPECT_NE(result.Reason.find(Dir.File("book.htm_")), std::string::npos) << result.Reason;
    EXPECT_EQ(ReadFileBytes(PagePath), Foreign);
    EXPECT_EQ(FolderEntries(Dir.Path()), (std::vector<std::string>{"book.htm_", "book.html"}));

    // A page whose backup name is its own name (book.htm_ backs up as book.htm_),
    // and a chosen name that is the page through a link.
    const std::string odd = Dir.File("odd.htm_");
    WriteFileBytes(odd, Foreign);
    Choices = {TForeignChoice::BackupBeside};
    Asked = 0;
    EXPECT_EQ(RestylePage(odd, NewStyle(), Questions()).Code, 6);
    EXPECT_EQ(ReadFileBytes(odd), Foreign);
    std::filesystem::create_symlink(PagePath, Dir.File("link.html"));
    Choices = {TForeignChoice::BackupChosen};
    Asked = 0;
    BackupNames = {Dir.File("link.html")};
    result = RestylePage(PagePath, NewStyle(), Questions());
    EXPECT_EQ(result.Code, 6);
    EXPECT_EQ(ReadFileBytes(PagePath), Foreign);
}

TEST_F(RestyleFixture, EveryFailingFileCallLeavesTheOldPageOrTheNewOne)
{
    for (const TForeignChoice choice : {TForeignChoice::NoBackup, TForeignChoice::BackupBeside,
                                        TForeignChoice::BackupChosen, TForeignChoice::Cancel}) {
        for (const bool own : {true, false}) {
            const std::string old = own ? OwnPage() : Foreign;
            const std::string restyled = own ? Restyled(Body + PageFooterText()) : Restyled(ForeignRest);
            const bool backedUp = !own && (choice == TForeignChoice::BackupBeside || choice == TForeignChoice::BackupChosen);
            const std::string backup = choice == TForeignChoice::BackupBeside ? BackupName(PagePath) : Dir.File("chosen.bak");
            auto run = [&](FileSystem& files) {
                for (const auto& name : FolderEntries(Dir.Path()))
                    std::filesystem::remove_all(Dir.Path() / name);
                WriteFileBytes(PagePath, old);
                Choices = {choice};
                Asked = 0;
                BackupNames = {Dir.File("chosen.bak")};
                return RestylePage(PagePath, NewStyle(), Questions(), 0, files);
            };
            test::TFailingFileSystem counting;
            run(counting);
            for (int failAt = 1; failAt <= counting.Calls(); ++failAt) {
                test::TFailingFileSystem failing(failAt);
                TRestyleResult result;
                bool thrown = false;
                try {
                    result = run(failing);
                } catch (const EInOutError& error) {
                    thrown = true;
                    EXPECT_EQ(error.Path(), PagePath);
                }
                const std::string call = failing.Log()[static_cast<std::size_t>(failAt - 1)];
                const std::string now = ReadFileBytes(PagePath);
                const bool cancelled = !own && choice == TForeignChoice::Cancel;
                if (result.ShowPage) {
                    EXPECT_EQ(now, restyled) << call;
                } else if (thrown && failing.RenamedBeforeFailure(PagePath)) {
                    EXPECT_EQ(now, restyled) << "closing and flushing the folder fail after the rename: " << call;
                } else {
                    EXPECT_EQ(now, old) << call;
                    EXPECT_TRUE(thrown || cancelled || result.Code == 6) << "a failure is never silent: " << call;
                }
                if (backedUp && std::filesystem::exists(backup)) {
                    EXPECT_EQ(ReadFileBytes(backup), old) << call;
                }
                EXPECT_TRUE(!result.ShowPage || !backedUp || std::filesystem::exists(backup)) << call;
                if (!call.starts_with("remove")) {
                    EXPECT_EQ(test::TemporaryFilesIn(Dir.Path()), std::vector<std::string>{}) << call;
                }
            }
        }
    }
}

} // namespace
} // namespace verdask
