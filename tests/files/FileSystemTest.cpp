// SPDX-License-Identifier: GPL-3.0-or-later
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

TEST(PlatformFileSystem, CreateNewTakesNoExistingNameNorLink)
{
    TTempDir dir;
    FileSystem& files = PlatformFileSystem();
    WriteFileBytes(dir.File("victim"), "kept");
    std::filesystem::create_symlink(dir.File("victim"), dir.File("link"));
    std::filesystem::create_symlink(dir.File("nowhere"), dir.File("dangling"));
    WriteFileBytes(dir.File("taken"), "kept too");
    FileSystem::Handle handle = -1;
    for (const char* name : {"link", "dangling", "taken"})
        EXPECT_EQ(files.Open(dir.File(name), OpenMode::CreateNew, handle), EEXIST) << name;
    EXPECT_EQ(ReadFileBytes(dir.File("victim")), "kept");
    EXPECT_EQ(ReadFileBytes(dir.File("taken")), "kept too");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "nowhere")) << "a dangling link makes no file";

    ASSERT_EQ(files.Open(dir.File("new"), OpenMode::CreateNew, handle), 0);
    EXPECT_EQ(files.Write(handle, "abc", 3), 0);
    EXPECT_EQ(files.Sync(handle), 0);
    EXPECT_EQ(files.Close(handle), 0);
    EXPECT_EQ(ReadFileBytes(dir.File("new")), "abc");
    EXPECT_EQ(files.SyncFolder(dir.Path().string()), 0);
    EXPECT_EQ(files.SyncFolder(dir.File("missing")), ENOENT);
}

TEST(PlatformFileSystem, FoldersAreNoFiles)
{
    TTempDir dir;
    FileSystem& files = PlatformFileSystem();
    std::filesystem::create_directory(dir.Path() / "page.html");
    EXPECT_FALSE(files.Exists(dir.File("page.html")));
    FileSystem::Handle handle = -1;
    EXPECT_NE(files.Open(dir.File("page.html"), OpenMode::CreateNew, handle), 0);
    EXPECT_NE(files.Open(dir.File("page.html"), OpenMode::Read, handle), 0);
    EXPECT_NE(files.Remove(dir.File("page.html")), 0);
    WriteFileBytes(dir.File("new"), "x");
    EXPECT_NE(files.Replace(dir.File("new"), dir.File("page.html")), 0) << "a file never takes a folder's place";
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "page.html"));
}

TEST(PlatformFileSystem, LinksAndPermissions)
{
    TTempDir dir;
    FileSystem& files = PlatformFileSystem();
    WriteFileBytes(dir.File("page"), "text");
    std::filesystem::create_symlink("page", dir.File("link"));
    std::string target;
    EXPECT_EQ(files.ReadLink(dir.File("link"), target), 0);
    EXPECT_EQ(target, "page");
    EXPECT_EQ(files.ReadLink(dir.File("page"), target), EINVAL);
    EXPECT_EQ(files.ReadLink(dir.File("missing"), target), ENOENT);

    std::filesystem::permissions(dir.Path() / "page", std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::owner_write);
    FileSystem::Handle handle = -1;
    ASSERT_EQ(files.Open(dir.File("copy"), OpenMode::CreateNew, handle), 0);
    EXPECT_EQ(files.CopyPermissions(handle, dir.File("page")), 0);
    EXPECT_EQ(files.CopyPermissions(handle, dir.File("missing")), ENOENT);
    files.Close(handle);
    EXPECT_EQ(std::filesystem::status(dir.Path() / "copy").permissions(),
              std::filesystem::status(dir.Path() / "page").permissions());
}

TEST(TFile, ReadsSeeksAndNamesTheFileTheUserKnows)
{
    TTempDir dir;
    const std::string path = dir.File("page.html");
    WriteFileBytes(path, "0123456789");
    TFile file = TFile::OpenForReading(PlatformFileSystem(), path);
    file.Seek(4);
    char buffer[3];
    EXPECT_EQ(file.Read(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "456");
    file.Close();
    EXPECT_THROW(TFile::OpenForReading(PlatformFileSystem(), dir.File("missing")), EInOutError);

    try {
        TFile::CreateNew(PlatformFileSystem(), path, "/books/the page the user chose.html");
        ADD_FAILURE() << "the name is taken";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.Code(), EEXIST);
        EXPECT_EQ(error.Path(), "/books/the page the user chose.html");
    }
}

TEST(TTextWriter, WritesCrLfLinesThroughItsBuffer)
{
    TTempDir dir;
    const std::string path = dir.File("out");
    const std::string big(3 * FileBlockSize, 'b');
    {
        TTextWriter writer(TFile::CreateNew(PlatformFileSystem(), path, path));
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
        TTextWriter writer(TFile::CreateNew(PlatformFileSystem(), path, path));
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
            std::filesystem::remove(path);
            TFile file = TFile::CreateNew(failing, path, path);
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
