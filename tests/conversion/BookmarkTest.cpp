// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/Bookmark.h"

#include "files/Errors.h"
#include "files/FileReplacement.h"
#include "files/TextFile.h"
#include "style/PageFrame.h"
#include "style/Restyle.h"
#include "style/StyleCss.h"
#include "support/FailingFileSystem.h"
#include "support/TestFiles.h"
#include "support/TextFileReference.h"

#include <gtest/gtest.h>

#include <random>

namespace verdask {
namespace {

using test::CrLfLines;
using test::FolderEntries;
using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;

std::string Page(const std::string& path, const std::string& body = "")
{
    std::string page = PageHeaderText(path, TViewStyle{});
    for (int i = 1; i <= 5; ++i)
        page += std::string(i == 1 ? "" : "</A>") + "<BR><A Name=a" + std::to_string(i) + ">Paragraph\r\n";
    return page + body + PageFooterText();
}

std::string WithScript(std::string page, const std::string& script)
{
    page.replace(page.find(PlainScriptLine), PlainScriptLine.size(), script);
    return page;
}

TEST(MakeBookmarkScript, StoresTheParagraphAtTheTopItself)
{
    const std::string plain = "<SCRIPT language=\"javascript\">function doLoad() {window.focus();}</SCRIPT>";
    EXPECT_EQ(MakeBookmarkScript(0), plain) << "the top of the page";
    EXPECT_EQ(MakeBookmarkScript(-3), plain);
    EXPECT_EQ(MakeBookmarkScript(1),
              "<SCRIPT language=\"javascript\">function doLoad() {window.navigate('#a1'); window.focus();}</SCRIPT>")
        << "the title scrolled away";
    EXPECT_EQ(MakeBookmarkScript(40),
              "<SCRIPT language=\"javascript\">function doLoad() {window.navigate('#a40'); window.focus();}</SCRIPT>");
}

TEST(MakeBookmarkScript, ReadsBackAsTheAnchorItJumpsTo)
{
    for (const std::int64_t anchor : {0, 1, 2, 40, 1234567})
        EXPECT_EQ(BookmarkAnchorOf(MakeBookmarkScript(anchor)), anchor);
    for (const std::string odd : {"<SCRIPT language=\"javascript\">function doLoad() {window.navigate('#a+7'); "
                                  "window.focus();}</SCRIPT>",
                                  "<SCRIPT language=\"javascript\">function doLoad() {window.navigate('#a07'); "
                                  "window.focus();}</SCRIPT>",
                                  "<SCRIPT language=\"javascript\">function doLoad() {window.navigate('#a2147483647'); "
                                  "window.focus();}</SCRIPT>",
                                  "<SCRIPT language=\"javascript\">function doLoad() {x();}</SCRIPT>"})
        EXPECT_EQ(BookmarkAnchorOf(odd), odd.find("2147483647") != std::string::npos ? 2147483647 : 0) << odd;
}

struct BookmarkFixture : ::testing::Test {
    TTempDir Dir;
    std::string PagePath = Dir.File("book.html");

    void WritePage(const std::string& bytes) { WriteFileBytes(PagePath, bytes); }
};

TEST_F(BookmarkFixture, TheStoredBookmarkIsReadFromTheHeadAlone)
{
    WritePage(Page(PagePath));
    EXPECT_EQ(StoredBookmark(PagePath), 0);
    ASSERT_EQ(SaveBookmark(PagePath, 40), TBookmarkResult::Saved);
    EXPECT_EQ(StoredBookmark(PagePath), 40);
    // A script line in the body is no bookmark, nor is one after 64 lines without a body tag.
    WritePage(CrLfLines({"<HTML><BODY>", MakeBookmarkScript(9)}));
    EXPECT_EQ(StoredBookmark(PagePath), 0);
    std::vector<std::string> lines(64, "<P>");
    lines.push_back(MakeBookmarkScript(9));
    WritePage(CrLfLines(lines));
    EXPECT_EQ(StoredBookmark(PagePath), 0);
    lines.erase(lines.begin());
    WritePage(CrLfLines(lines));
    EXPECT_EQ(StoredBookmark(PagePath), 9);
    EXPECT_THROW(StoredBookmark(Dir.File("missing.html")), EInOutError);
}

TEST_F(BookmarkFixture, APagesPlaceIsItsBookmarkAndItsLastAnchorReadFromItsEnd)
{
    const std::string longTail(3 * FileBlockSize, 'x');
    const std::string tag = "<BR><A Name=a77>";
    // The tag of the last anchor begun in one block read from the end and ended in the next.
    const std::size_t straddling = FileBlockSize - PageFooterText().size() - 3;
    const struct {
        const char* Why;
        std::string Page;
        std::optional<TPagePlace> Place;
    } rows[] = {
        {"five paragraphs", WithScript(Page(PagePath), MakeBookmarkScript(3)), TPagePlace{3, 5}},
        {"a last paragraph longer than a block", Page(PagePath, longTail), TPagePlace{0, 5}},
        {"a tag across two blocks", Page(PagePath, tag + std::string(straddling, 'x')), TPagePlace{0, 77}},
        {"text that only looks like a tag", Page(PagePath, "<A Name=a9 <A Name=a>"), TPagePlace{0, 5}},
        {"no paragraphs", PageHeaderText(PagePath, {}) + PageFooterText(), TPagePlace{0, 0}},
        {"another program's page", CrLfLines({"<html><body>", "<A Name=a4>text</body></html>"}), std::nullopt},
    };
    for (const auto& row : rows) {
        WritePage(row.Page);
        EXPECT_EQ(PlaceInPage(PagePath), row.Place) << row.Why;
    }
    EXPECT_EQ(PlaceInPage(Dir.File("missing.html")), std::nullopt);
}

TEST_F(BookmarkFixture, NoFontNameOrColourBreaksAPage)
{
    for (const char c : std::string("\";<>{}\\\r\n\x1A\x7F", 11)) {
        TViewStyle style;
        style.FontName = std::string("Arial") + c + "BODY";
        style.FontColor = std::string("#000000") + c + "</STYLE><SCRIPT>x()</SCRIPT>";
        WritePage(Page(PagePath));
        ASSERT_EQ(RestylePage(PagePath, style, {}, 40).Code, 0);
        const std::string page = ReadFileBytes(PagePath);
        EXPECT_NE(page.find("BODY { color: #000000;background: #FFFFFF;font-family: Arial;"), std::string::npos)
            << "the default's values for those that are none: " << int(c);
        EXPECT_EQ(page.find("<SCRIPT>x()"), std::string::npos) << int(c);
        EXPECT_TRUE(IsOwnPage(PagePath)) << int(c);
        EXPECT_EQ(StoredBookmark(PagePath), 40) << int(c);
        EXPECT_EQ(SaveBookmark(PagePath, 60), TBookmarkResult::Saved) << int(c);
        EXPECT_EQ(ReadStyleFromPage(PagePath, TViewStyle{}).FontName, "Arial") << int(c);
        EXPECT_EQ(RestylePage(PagePath, TViewStyle{}, {}).Code, 0) << "restyled again as an own page: " << int(c);
    }
}

TEST_F(BookmarkFixture, SavingReplacesEveryScriptLineAndLeavesNoTemporaryFile)
{
    // A second line with the script prefix, in the body: both are replaced.
    WritePage(Page(PagePath, std::string(ScriptLinePrefix) + "old();}</SCRIPT>\r\n"));
    EXPECT_EQ(SaveBookmark(PagePath, 40), TBookmarkResult::Saved);
    const std::string script = MakeBookmarkScript(40);
    std::string expected = WithScript(Page(PagePath, script + "\r\n"), script);
    EXPECT_EQ(ReadFileBytes(PagePath), expected);
    EXPECT_EQ(FolderEntries(Dir.Path()), std::vector<std::string>{"book.html"});

    // The same position again touches nothing: no copy, no rename.
    test::TFailingFileSystem watching;
    EXPECT_EQ(SaveBookmark(PagePath, 40, watching), TBookmarkResult::Unchanged);
    for (const auto& call : watching.Log()) {
        EXPECT_EQ(call.find("Create"), std::string::npos) << call;
        EXPECT_EQ(call.find("rename"), std::string::npos) << call;
    }
    EXPECT_EQ(SaveBookmark(PagePath, 0), TBookmarkResult::Saved);
    EXPECT_EQ(ReadFileBytes(PagePath), Page(PagePath, std::string(PlainScriptLine) + "\r\n"));
}

TEST_F(BookmarkFixture, APageThatTheRewriteWouldChangeIsRewritten)
{
    // The same script already, but a lone CR and bytes after a Ctrl-Z: the rewrite
    // gives other bytes, so it is written, as the Part's copy would write it.
    std::string page = Page(PagePath);
    page.insert(page.find("Paragraph"), "\r");
    WritePage(page + "\x1Atrailing");
    EXPECT_EQ(SaveBookmark(PagePath, 0), TBookmarkResult::Saved);
    std::string expected = page;
    expected.replace(expected.find("\rParagraph"), 1, "\r\n");
    EXPECT_EQ(ReadFileBytes(PagePath), expected);
}

TEST_F(BookmarkFixture, PagesOfOtherProgramsAndMissingPagesAreNeverTouched)
{
    EXPECT_EQ(SaveBookmark(Dir.File("missing.html"), 5), TBookmarkResult::NoPage);

    const std::string foreign = CrLfLines({"<html><head>", std::string(ScriptLinePrefix) + "x}</SCRIPT>", "</head>",
                                           "<body>", "<!--Lantorpress header ends here-->", "text</body></html>"});
    WritePage(foreign);
    EXPECT_EQ(SaveBookmark(PagePath, 5), TBookmarkResult::ForeignPage) << "<body> in small letters";
    EXPECT_EQ(ReadFileBytes(PagePath), foreign);

    // A page of this program edited so that the marker line moved.
    std::string edited = WithScript(Page(PagePath), std::string(PlainScriptLine));
    edited.insert(edited.find(HeaderEndMarker), "<P>an added line\r\n");
    WritePage(edited);
    EXPECT_EQ(SaveBookmark(PagePath, 5), TBookmarkResult::ForeignPage);
    EXPECT_EQ(ReadFileBytes(PagePath), edited);
    EXPECT_EQ(FolderEntries(Dir.Path()), std::vector<std::string>{"book.html"});
}

TEST_F(BookmarkFixture, FilesOfEarlierRunsAndLinksAtTheirNamesAreNeverTouched)
{
    // An earlier version cut short between its renames left the page only in
    // VerdaskTemp._c_; a link planted at VerdaskTemp._b_ points at another file.
    WriteFileBytes(Dir.File("VerdaskTemp._c_"), "the only copy of another page");
    WriteFileBytes(Dir.File("victim"), "not to be touched");
    std::filesystem::create_symlink(Dir.File("victim"), Dir.File("VerdaskTemp._b_"));
    const std::string page = Page(PagePath);
    WritePage(page);
    EXPECT_EQ(SaveBookmark(PagePath, 9), TBookmarkResult::Saved);
    EXPECT_EQ(ReadFileBytes(PagePath), WithScript(page, MakeBookmarkScript(9)));
    EXPECT_EQ(SaveBookmark(PagePath, 12), TBookmarkResult::Saved) << "and so does every later save";
    EXPECT_EQ(ReadFileBytes(Dir.File("VerdaskTemp._c_")), "the only copy of another page");
    EXPECT_EQ(ReadFileBytes(Dir.File("victim")), "not to be touched");
    EXPECT_TRUE(std::filesystem::is_symlink(Dir.Path() / "VerdaskTemp._b_"));
    EXPECT_EQ(LeftoverPageCopies(PagePath), std::vector<std::string>{Dir.File("VerdaskTemp._c_")});
}

TEST_F(BookmarkFixture, APageThatIsALinkStaysALinkAndKeepsItsMode)
{
    std::filesystem::create_directory(Dir.Path() / "shelf");
    const std::string real = Dir.File("shelf/book.html");
    const std::string page = Page(real);
    WriteFileBytes(real, page);
    std::filesystem::permissions(real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink("shelf/book.html", PagePath);
    EXPECT_EQ(SaveBookmark(PagePath, 7), TBookmarkResult::Saved);
    EXPECT_TRUE(std::filesystem::is_symlink(PagePath));
    EXPECT_EQ(ReadFileBytes(real), WithScript(page, MakeBookmarkScript(7)));
    EXPECT_EQ(std::filesystem::status(real).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(test::TemporaryFilesIn(Dir.Path() / "shelf"), std::vector<std::string>{});
    EXPECT_EQ(test::TemporaryFilesIn(Dir.Path()), std::vector<std::string>{});
}

TEST_F(BookmarkFixture, NoFailingFileCallLosesThePage)
{
    const std::string old = Page(PagePath);
    WritePage(old);
    test::TFailingFileSystem counting;
    ASSERT_EQ(SaveBookmark(PagePath, 4, counting), TBookmarkResult::Saved);
    const std::string saved = ReadFileBytes(PagePath);
    const int calls = counting.Calls();
    for (int failAt = 1; failAt <= calls; ++failAt) {
        WritePage(old);
        test::TFailingFileSystem failing(failAt);
        TBookmarkResult result = TBookmarkResult::Unchanged;
        bool thrown = false;
        try {
            result = SaveBookmark(PagePath, 4, failing);
        } catch (const EInOutError& error) {
            thrown = true;
            EXPECT_EQ(error.Path(), PagePath) << "the error names the page";
        }
        const std::string& call = failing.Log()[static_cast<std::size_t>(failAt - 1)];
        ASSERT_TRUE(std::filesystem::exists(PagePath)) << call;
        const std::string now = ReadFileBytes(PagePath);
        const bool written = result == TBookmarkResult::Saved || failing.RenamedBeforeFailure(PagePath);
        EXPECT_EQ(now, written ? saved : old) << call;
        // A page that cannot be seen, or is gone by the time it is opened, is no page to keep a place in.
        const bool gone = call.starts_with("exists") || call == "open Read " + PagePath;
        EXPECT_TRUE(thrown || result == TBookmarkResult::Saved || (gone && result == TBookmarkResult::NoPage)) << call;
        if (!call.starts_with("remove")) {
            EXPECT_EQ(test::TemporaryFilesIn(Dir.Path()), std::vector<std::string>{}) << call;
        }
        test::RemoveTemporaryFiles(Dir.Path());
    }
}

TEST_F(BookmarkFixture, TheRewriteIsTheLineByLineCopyWhateverThePageHolds)
{
    std::mt19937 random(50);
    const std::vector<std::string> pieces = {"text ", "\r\n", "\r", "\n", "\x1A", std::string(ScriptLinePrefix),
                                             std::string(ScriptLinePrefix) + "window.focus();}</SCRIPT>",
                                             MakeBookmarkScript(7), std::string(FileBlockSize + 3, 'L')};
    for (int round = 0; round < 300; ++round) {
        std::string body;
        const int count = static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i)
            body += (random() % 3 == 0 ? std::string("\r\n") : std::string()) + pieces[random() % pieces.size()];
        const std::string page = Page(PagePath, body);
        WritePage(page);
        const std::int64_t position = random() % 2 == 0 ? 8 : 0;
        const TBookmarkResult result = SaveBookmark(PagePath, position);
        const std::string expected = test::ReferenceRewrite(page, MakeBookmarkScript(position));
        ASSERT_EQ(ReadFileBytes(PagePath), expected) << "round " << round;
        EXPECT_EQ(result == TBookmarkResult::Unchanged, expected == page) << "round " << round;
    }
}

TEST_F(BookmarkFixture, LongLinesAreCopiedWhole)
{
    const std::string longLine(3 * FileBlockSize + 5, 'w');
    WritePage(Page(PagePath, longLine + "\r\n"));
    EXPECT_EQ(SaveBookmark(PagePath, 3), TBookmarkResult::Saved);
    EXPECT_EQ(ReadFileBytes(PagePath), WithScript(Page(PagePath, longLine + "\r\n"), MakeBookmarkScript(3)));
    EXPECT_EQ(SaveBookmark(PagePath, 3), TBookmarkResult::Unchanged);
}

} // namespace
} // namespace verdask
