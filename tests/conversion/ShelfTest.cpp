// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/Shelf.h"

#include "config/Conf.h"
#include "config/ShelfFolders.h"
#include "conversion/Bookmark.h"
#include "conversion/ConvertAndSave.h"
#include "conversion/Source.h"
#include "files/Cp1251.h"
#include "style/ViewStyle.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace verdask {
namespace {

using test::CrLfLines;
using test::TTempDir;
using test::WriteFileBytes;

TEST(ShelfBook, PercentAndStateFromThePlaceAndTheLength)
{
    const struct {
        std::int64_t Anchor;
        std::int64_t Paragraphs;
        int Percent;
        TReadingState State;
    } rows[] = {
        {0, 300, 0, TReadingState::NotStarted},   {1, 300, 0, TReadingState::Reading},
        {150, 300, 50, TReadingState::Reading},   {280, 300, 93, TReadingState::Reading},
        {281, 300, 93, TReadingState::Finished},  {4900, 5000, 98, TReadingState::Finished},
        {4899, 5000, 97, TReadingState::Reading}, {300, 300, 100, TReadingState::Finished},
        {5, 20, 25, TReadingState::Reading},      {20, 20, 100, TReadingState::Finished},
        {900, 300, 100, TReadingState::Finished}, {3, 0, 0, TReadingState::Finished},
    };
    for (const auto& row : rows) {
        const TShelfBook book{"p.html", "T", row.Anchor, row.Paragraphs, 0};
        EXPECT_EQ(book.Percent(), row.Percent) << row.Anchor << " of " << row.Paragraphs;
        EXPECT_EQ(book.State(), row.State) << row.Anchor << " of " << row.Paragraphs;
    }
}

struct ShelfFixture : ::testing::Test {
    ShelfFixture() { conf.SetDefaults(); }

    // A page of as many paragraphs as lines, written by the converter.
    std::string Page(const std::string& name, const std::string& title, int paragraphs,
                     const std::string& folder = {})
    {
        std::vector<std::string> lines = {"Author", test::Recoded(title, "UTF-8", "WINDOWS-1251")};
        for (int i = 0; i < paragraphs; ++i)
            lines.push_back("     Paragraph " + std::to_string(i));
        if (!folder.empty())
            std::filesystem::create_directories(dir.Path() / folder);
        const std::string base = folder.empty() ? name : folder + "/" + name;
        const std::string text = dir.File(base + ".txt");
        WriteFileBytes(text, CrLfLines(lines));
        TSourceState source;
        source.SourcePath = text;
        source.IndentWidth = 5;
        const std::string page = dir.File(base + ".html");
        WritePage(page, conf, source, TViewStyle{}, {});
        std::filesystem::remove(text);
        return page;
    }

    TTempDir dir;
    TConf conf;
};

TEST_F(ShelfFixture, ScansTheFoldersPagesForTheirTitlesAndPlaces)
{
    const std::string war = Page("war", "Война и мир. Том 1", 300);
    const std::string untitled = Page("untitled", "", 40);
    const std::string nested = Page("nested", "Глава &laquo;первая&raquo;", 10, "sub");
    ASSERT_EQ(SaveBookmark(war, 150), TBookmarkResult::Saved);
    ASSERT_EQ(SaveBookmark(nested, 10), TBookmarkResult::Saved);
    WriteFileBytes(dir.File("other.html"), "<HTML><BODY><P>Not ours</P></BODY></HTML>");
    WriteFileBytes(dir.File("notes.txt"), "text");

    const auto books = ScanShelf({dir.Path().string()});
    ASSERT_EQ(books.size(), 2u);
    EXPECT_EQ(books[0].Path, untitled);
    EXPECT_EQ(books[0].Title, "untitled");
    EXPECT_EQ(books[0].Anchor, 0);
    EXPECT_EQ(books[0].Paragraphs, 40);
    EXPECT_EQ(books[1].Path, war);
    EXPECT_EQ(books[1].Title, "Война и мир. Том 1");
    EXPECT_EQ(books[1].Percent(), 50);
    EXPECT_GT(books[1].WrittenAt, 1'600'000'000);

    std::vector<std::size_t> found;
    const auto all = ScanShelf({dir.Path().string(), war}, {true, nullptr, [&](std::size_t n) { found.push_back(n); }});
    ASSERT_EQ(all.size(), 3u) << "a page named twice is one book";
    EXPECT_EQ(all[0].Path, nested);
    EXPECT_EQ(all[0].Title, "Глава «первая»");
    EXPECT_EQ(all[0].State(), TReadingState::Finished);
    EXPECT_EQ(found, (std::vector<std::size_t>{1, 2, 3}));

    int asked = 0;
    EXPECT_EQ(ScanShelf({dir.Path().string()}, {true, [&] { return ++asked > 2; }, nullptr}).size(), 1u);
    EXPECT_TRUE(ScanShelf({dir.File("missing"), dir.File("other.html")}).empty());
}

TEST(ShelfFolders, KeptAfterTheOtherKeysAndTakenFromRecentBooks)
{
    TConf conf;
    conf.SetDefaults();
    EXPECT_TRUE(ShelfFolders(conf).empty());
    StoreShelfFolders(conf, {"/books/a", "/books/b", "/books/a"});
    EXPECT_EQ(ShelfFolders(conf), (std::vector<std::string>{"/books/a", "/books/b"}));
    StoreShelfFolders(conf, {"/c"});
    EXPECT_EQ(ShelfFolders(conf), std::vector<std::string>{"/c"});
    EXPECT_FALSE(ShelfSubfolders(conf));
    StoreShelfSubfolders(conf, true);
    EXPECT_TRUE(ShelfSubfolders(conf));
    EXPECT_EQ(FoldersOfBooks({"/a/x.html", "/b/y.html", "/a/z.html"}), (std::vector<std::string>{"/a", "/b"}));
}

} // namespace
} // namespace verdask
