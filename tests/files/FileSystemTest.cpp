#include "files/FileSystem.h"
#include "files/TextFile.h"

#include "files/Errors.h"
#include "support/FailingFileSystem.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace verdask {
namespace {

using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;

TEST(PlatformFileSystem, RenameNeverReplacesAFile)
{
    TTempDir dir;
    FileSystem& files = PlatformFileSystem();
    WriteFileBytes(dir.File("a"), "old");
    WriteFileBytes(dir.File("b"), "other");
    EXPECT_EQ(files.Rename(dir.File("a"), dir.File("b")), EEXIST);
    EXPECT_EQ(ReadFileBytes(dir.File("a")), "old");
    EXPECT_EQ(ReadFileBytes(dir.File("b")), "other");

    EXPECT_EQ(files.Rename(dir.File("a"), dir.File("c")), 0);
    EXPECT_FALSE(files.Exists(dir.File("a")));
    EXPECT_EQ(ReadFileBytes(dir.File("c")), "old");
    EXPECT_EQ(files.Rename(dir.File("missing"), dir.File("d")), ENOENT);
}

TEST(PlatformFileSystem, FoldersAreNoFiles)
{
    TTempDir dir;
    FileSystem& files = PlatformFileSystem();
    std::filesystem::create_directory(dir.Path() / "page.html");
    EXPECT_FALSE(files.Exists(dir.File("page.html")));
    FileSystem::Handle handle = -1;
    EXPECT_NE(files.Open(dir.File("page.html"), OpenMode::Create, handle), 0);
    EXPECT_NE(files.Open(dir.File("page.html"), OpenMode::Read, handle), 0);
    EXPECT_NE(files.Remove(dir.File("page.html")), 0);
    EXPECT_EQ(files.Open(dir.File("missing"), OpenMode::Append, handle), ENOENT);
}

TEST(TFile, CreateTruncatesAndAppendAddsAtTheEnd)
{
    TTempDir dir;
    const std::string path = dir.File("page.html");
    WriteFileBytes(path, "old content that is long");
    {
        TFile file = TFile::Create(PlatformFileSystem(), path);
        file.Write("new");
        file.Close();
    }
    EXPECT_EQ(ReadFileBytes(path), "new");
    {
        TFile file = TFile::OpenForAppending(PlatformFileSystem(), path);
        file.Write("+more");
    } // closed by its destructor
    EXPECT_EQ(ReadFileBytes(path), "new+more");
    EXPECT_THROW(TFile::OpenForAppending(PlatformFileSystem(), dir.File("missing")), EInOutError);
}

TEST(TTextWriter, WritesCrLfLinesThroughItsBuffer)
{
    TTempDir dir;
    const std::string path = dir.File("out");
    const std::string big(3 * FileBlockSize, 'b');
    {
        TTextWriter writer(TFile::Create(PlatformFileSystem(), path));
        writer.WriteLine("first");
        writer.WriteLine(big);
        writer.WriteLine("");
        writer.Write("tail");
        writer.Close();
    }
    EXPECT_EQ(ReadFileBytes(path), "first\r\n" + big + "\r\n\r\ntail");
}

TEST(TTextWriter, KeepsWhatWasWrittenWhenUnwound)
{
    TTempDir dir;
    const std::string path = dir.File("out");
    try {
        TTextWriter writer(TFile::Create(PlatformFileSystem(), path));
        writer.WriteLine("kept");
        throw std::runtime_error("a later step failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(ReadFileBytes(path), "kept\r\n");
}

TEST(TFailingFileSystem, FailsExactlyTheChosenCall)
{
    TTempDir dir;
    const std::string path = dir.File("out");
    for (int failAt = 1; failAt <= 3; ++failAt) {
        test::TFailingFileSystem failing(failAt);
        try {
            TFile file = TFile::Create(failing, path);
            file.Write("data");
            file.Close();
            ADD_FAILURE() << "call " << failAt << " did not fail";
        } catch (const EInOutError& error) {
            EXPECT_TRUE(failing.Failed());
            EXPECT_EQ(error.Path(), path);
        }
        // After the failure only the handle is released.
        EXPECT_LE(failing.Calls(), failAt + 1);
    }
}

} // namespace
} // namespace verdask
