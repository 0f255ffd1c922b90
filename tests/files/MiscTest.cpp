// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Errors.h"
#include "files/Misc.h"

#include <gtest/gtest.h>

namespace verdask {
namespace {

TEST(PathParts, SplitAtTheLastSeparator)
{
    struct Case {
        const char* path;
        const char* directory;
        const char* name;
    };
    const Case cases[] = {
        {"/home/reader/Books/tale.txt", "/home/reader/Books", "tale.txt"},
        {"/tale.txt", "", "tale.txt"}, // a file in the root: the counterpart of "C:"
        {"tale.txt", "", ""},          // no separator: no directory and no title
        {"/Books/war.and.peace.html", "/Books", "war.and.peace.html"},
        {"/Books/", "/Books", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DirectoryPart(c.path), c.directory) << c.path;
        EXPECT_EQ(FileNamePart(c.path), c.name) << c.path;
    }
}

TEST(ProgramFileWithExt, ReplacesOnlyTheExtensionOfTheFileName)
{
    EXPECT_EQ(ProgramFileWithExt("/opt/verdask/verdask.exe", ".con"), "/opt/verdask/verdask.con");
    EXPECT_EQ(ProgramFileWithExt("/opt/verdask/verdask", ".con"), "/opt/verdask/verdask.con");
    // A dot in a folder name is no extension of the file.
    EXPECT_EQ(ProgramFileWithExt("/opt/verdask.d/verdask", ".con"), "/opt/verdask.d/verdask.con");
    EXPECT_EQ(ProgramFileWithExt("/opt/v/verdask.tar.gz", ".con"), "/opt/v/verdask.tar.con");
}

TEST(SiblingPath, IsInTheFolderOfThePathOrTheWorkingFolder)
{
    EXPECT_EQ(SiblingPath("/books/tale.html", "VerdaskTemp._a_"), "/books/VerdaskTemp._a_");
    EXPECT_EQ(SiblingPath("/tale.html", "VerdaskTemp._a_"), "/VerdaskTemp._a_");
    EXPECT_EQ(SiblingPath("tale.html", "VerdaskTemp._a_"), "VerdaskTemp._a_");
    EXPECT_EQ(SiblingPath("shelf/tale.html", "VerdaskTemp._a_"), "shelf/VerdaskTemp._a_");
}

TEST(FileBeside, JoinsWithTheSeparator)
{
    EXPECT_EQ(FileBeside("/books", "VerdaskTemp._a_"), "/books/VerdaskTemp._a_");
    EXPECT_EQ(FileBeside("", "VerdaskTemp._a_"), "/VerdaskTemp._a_");
}

TEST(TextToInteger, TakesWholeSignedDecimalNumbersThatFit32Bits)
{
    EXPECT_EQ(TextToInteger("0"), 0);
    EXPECT_EQ(TextToInteger("540"), 540);
    EXPECT_EQ(TextToInteger("-12"), -12);
    EXPECT_EQ(TextToInteger("+7"), 7);
    EXPECT_EQ(TextToInteger("007"), 7);
    EXPECT_EQ(TextToInteger("2147483647"), 2147483647);
    EXPECT_EQ(TextToInteger("-2147483648"), -2147483647 - 1);
}

TEST(TextToInteger, RejectsEverythingElseWithTheConversionMessage)
{
    for (const char* text : {"", " 5", "5 ", "5pt", "norm", "+", "-", "+-5", "--5", "2147483648", "-2147483649",
                             "0x10", "1.5", "1e3"}) {
        try {
            TextToInteger(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const EConvertError& error) {
            EXPECT_EQ(error.what(), "'" + std::string(text) + "' is not a valid integer value");
        }
        EXPECT_FALSE(TryTextToInteger(text).has_value()) << text;
    }
}

TEST(FileErrors, CarryTheUserVisibleTextAndThePath)
{
    const EFOpenError open("/a/b.con", ENOENT);
    EXPECT_STREQ(open.what(), "Cannot open file /a/b.con");
    EXPECT_EQ(open.Path(), "/a/b.con");
    EXPECT_EQ(open.Code(), ENOENT);
    EXPECT_STREQ(EFCreateError("/a/b.con", EACCES).what(), "Cannot create file /a/b.con");
    const EInOutError io("/a/book.html", ENOSPC);
    EXPECT_EQ(std::string(io.what()), "I/O error on file /a/book.html: No space left on device");
}

TEST(FormatMessage, FillsOnlyTheFirstPlaceholder)
{
    EXPECT_EQ(FormatMessage("Cannot open file %s", "x"), "Cannot open file x");
    EXPECT_EQ(FormatMessage("%s and %s", "a%s"), "a%s and %s");
    EXPECT_EQ(FormatMessage("no placeholder", "x"), "no placeholder");
}

} // namespace
} // namespace verdask
