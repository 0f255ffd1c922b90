// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileReplacement.h"

#include "files/Errors.h"
#include "support/FailingFileSystem.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <thread>

namespace verdask {
namespace {

using test::FolderEntries;
using test::ReadFileBytes;
using test::TemporaryFilesIn;
using test::TTempDir;
using test::WriteFileBytes;
namespace fs = std::filesystem;

using Names = std::vector<std::string>;
constexpr auto Follow = LinkAtTarget::FollowToFile;

TEST(TFileReplacement, NeverWritesUnderATemporaryName)
{
    TTempDir dir;
    for (const std::string name : {"VerdaskTemp._a_", "VerdaskTemp.abcdefghijkl", "VerdaskTemp."}) {
        const std::string path = dir.File(name);
        WriteFileBytes(path, "kept");
        EXPECT_THROW(ReplaceFileWith(PlatformFileSystem(), path, "new", Follow), EInOutError) << name;
        EXPECT_EQ(ReadFileBytes(path), "kept");
    }
    // Nor through a link whose name is harmless.
    std::filesystem::create_symlink(dir.File("VerdaskTemp._a_"), dir.File("link.html"));
    EXPECT_THROW(ReplaceFileWith(PlatformFileSystem(), dir.File("link.html"), "new", Follow), EInOutError);
    EXPECT_EQ(ReadFileBytes(dir.File("VerdaskTemp._a_")), "kept");
    EXPECT_TRUE(IsTemporaryFileName("/books/VerdaskTemp.x"));
    EXPECT_TRUE(IsTemporaryFileName("VerdaskTemp._a_")) << "a name alone, as a file dialog lists it";
    EXPECT_FALSE(IsTemporaryFileName("/VerdaskTemp.books/page.html"));
    EXPECT_FALSE(IsTemporaryFileName("/books/verdasktemp.x"));
}

// A device stands in through the seam: a test never risks the machine's own.
class TDeviceAt final : public test::TFailingFileSystem {
public:
    explicit TDeviceAt(std::string device) : device_(std::move(device)) {}
    bool IsDeviceOrPipe(const std::string& path) override
    {
        return path == device_ || test::TFailingFileSystem::IsDeviceOrPipe(path);
    }

private:
    std::string device_;
};

TEST(TFileReplacement, NeverReplacesADeviceAPipeOrASocket)
{
    TTempDir dir;
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string device = dir.File("null");
    WriteFileBytes(device, "");
    TDeviceAt files(device);
    for (const std::string& target : {fifo, device}) {
        try {
            ReplaceFileWith(files, target, "a page", Follow);
            ADD_FAILURE() << target << " was replaced";
        } catch (const EInOutError& error) {
            EXPECT_NE(std::string(error.what()).find("a device, a pipe or a socket"), std::string::npos) << error.what();
        }
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(TemporaryFilesIn(dir.Path()), Names{}) << "nothing was written beside them";
    // The rename, the last step, refuses one too, should one take the name meanwhile.
    WriteFileBytes(dir.File("new"), "a page");
    EXPECT_EQ(PlatformFileSystem().Replace(dir.File("new"), fifo), NotARegularFile);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST(TFileReplacement, MakesTheNewContentTheWholeFileAndLeavesNothingBeside)
{
    TTempDir dir;
    const std::string path = dir.File("book.html");
    ReplaceFileWith(PlatformFileSystem(), path, "new file", Follow);
    EXPECT_EQ(ReadFileBytes(path), "new file");
    ReplaceFileWith(PlatformFileSystem(), path, "short", Follow);
    EXPECT_EQ(ReadFileBytes(path), "short") << "nothing of the longer old content is left";
    EXPECT_EQ(FolderEntries(dir.Path()), Names{"book.html"});

    // Given up before Commit (the text could not be read, say): the old file stays.
    {
        TFileReplacement replacement(PlatformFileSystem(), path, Follow);
        replacement.Writer().Write(std::string(3 * FileBlockSize, 'x'));
        EXPECT_TRUE(fs::path(replacement.TemporaryPath()).filename().string().starts_with("VerdaskTemp."));
        EXPECT_EQ(fs::path(replacement.TemporaryPath()).parent_path(), dir.Path());
    }
    EXPECT_EQ(ReadFileBytes(path), "short");
    EXPECT_EQ(FolderEntries(dir.Path()), Names{"book.html"});
}

TEST(TFileReplacement, KeepsTheModeOfTheFileItReplaces)
{
    TTempDir dir;
    const std::string path = dir.File("private.html");
    WriteFileBytes(path, "old");
    ::chmod(path.c_str(), 0600);
    ReplaceFileWith(PlatformFileSystem(), path, "new", Follow);
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);

    // A new file has the mode any new file of the user gets.
    WriteFileBytes(dir.File("plain"), "");
    struct stat plain {};
    ::stat(dir.File("plain").c_str(), &plain);
    ReplaceFileWith(PlatformFileSystem(), dir.File("made.html"), "new", Follow);
    ::stat(dir.File("made.html").c_str(), &status);
    EXPECT_EQ(status.st_mode & 07777, plain.st_mode & 07777);
}

// Every kind of file a link may lead to, made afresh for each case.
struct TLinkedFiles {
    explicit TLinkedFiles(const TTempDir& dir) : Dir(dir)
    {
        fs::create_directories(dir.Path() / "shelf" / "deep");
        fs::create_directories(dir.Path() / "folder");
        WriteFileBytes(dir.File("shelf/deep/own.html"), OwnPage);
        WriteFileBytes(dir.File("foreign.html"), "<HTML><BODY>\r\nanother program's\r\n");
        WriteFileBytes(dir.File("settings"), "A=1\r\n");
        EXPECT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
        // A relative link to a relative link in another folder.
        fs::create_symlink("deep/own.html", dir.Path() / "shelf" / "inner.html");
        const std::pair<const char*, const char*> links[] = {
            {"own", "shelf/inner.html"}, {"foreign", "foreign.html"}, {"settings", "settings"},
            {"nowhere", "shelf/missing.html"}, {"folder", "folder"}, {"pipe", "pipe"}};
        for (const auto& [name, leadsTo] : links)
            fs::create_symlink(leadsTo, dir.Path() / (std::string("to-") + name));
    }
    ~TLinkedFiles()
    {
        for (const auto& name : FolderEntries(Dir.Path()))
            fs::remove_all(Dir.Path() / name);
    }
    static constexpr std::string_view OwnPage = "<HTML><BODY>\r\n<!--Lantorpress header ends here-->\r\nold\r\n";
    const TTempDir& Dir;
};

TEST(TFileReplacement, ALinkIsFollowedOnlyWhereTheRuleAllowsAndItsTargetIsNeverMade)
{
    TTempDir dir;
    enum Outcome { Followed, Refused, NameReplaced };
    using enum LinkAtTarget;
    const struct {
        const char* Link;
        const char* LeadsTo; // where a followed link writes
        LinkAtTarget Rule;
        Outcome Expected;
    } cases[] = {
        {"own", "shelf/deep/own.html", FollowToOwnPage, Followed},
        {"foreign", "foreign.html", FollowToOwnPage, Refused},
        {"settings", "settings", FollowToOwnPage, Refused},
        {"nowhere", "shelf/missing.html", FollowToOwnPage, Refused},
        {"folder", "folder", FollowToOwnPage, Refused},
        {"pipe", "pipe", FollowToOwnPage, Refused},
        {"own", "shelf/deep/own.html", FollowToFile, Followed},
        {"settings", "settings", FollowToFile, Followed},
        {"nowhere", "shelf/missing.html", FollowToFile, Refused},
        {"folder", "folder", FollowToFile, Refused},
        {"pipe", "pipe", FollowToFile, Refused},
        {"own", "shelf/deep/own.html", ReplaceName, NameReplaced},
        {"nowhere", "shelf/missing.html", ReplaceName, NameReplaced},
        {"pipe", "pipe", ReplaceName, NameReplaced},
    };
    for (const auto& c : cases) {
        const TLinkedFiles files(dir);
        const std::string link = dir.File(std::string("to-") + c.Link);
        const std::string leadsTo = dir.File(c.LeadsTo);
        const std::string label = std::string(c.Link) + " rule " + std::to_string(static_cast<int>(c.Rule));
        const auto before = fs::symlink_status(leadsTo).type();
        try {
            ReplaceFileWith(PlatformFileSystem(), link, "new", c.Rule);
            EXPECT_NE(c.Expected, Refused) << label;
        } catch (const ELinkRefused& error) {
            EXPECT_EQ(c.Expected, Refused) << label;
            EXPECT_EQ(std::string(error.what()), link + " is a link to " + leadsTo + "; not replaced");
        }
        EXPECT_EQ(fs::is_symlink(link), c.Expected != NameReplaced) << label;
        if (c.Expected == NameReplaced) {
            EXPECT_EQ(ReadFileBytes(link), "new") << label;
        }
        if (c.Expected == Followed) {
            EXPECT_EQ(ReadFileBytes(leadsTo), "new") << label;
        } else {
            EXPECT_EQ(fs::symlink_status(leadsTo).type(), before) << label << ": nothing made or changed where it leads";
        }
        EXPECT_EQ(ReadFileBytes(dir.File("shelf/deep/own.html")),
                  std::string(c.Expected == Followed && std::string(c.Link) == "own" ? "new" : TLinkedFiles::OwnPage))
            << label;
        EXPECT_EQ(TemporaryFilesIn(dir.Path()), Names{}) << label;
    }

    // Links in a loop are an error, and nothing is made.
    fs::create_symlink("b.html", dir.Path() / "a.html");
    fs::create_symlink("a.html", dir.Path() / "b.html");
    try {
        ReplaceFileWith(PlatformFileSystem(), dir.File("a.html"), "x", FollowToFile);
        ADD_FAILURE() << "a loop of links was written through";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.Path(), dir.File("a.html"));
        EXPECT_EQ(error.Code(), ELOOP);
    }
    EXPECT_EQ(TemporaryFilesIn(dir.Path()), Names{});
}

// Plants a link to a victim file at every name the routine is about to create,
// as someone who guessed the name would.
class TPlantingFileSystem : public test::TFailingFileSystem {
public:
    TPlantingFileSystem(std::string victim, int plantings) : victim_(std::move(victim)), plantings_(plantings) {}
    int Open(const std::string& path, OpenMode mode, Handle& handle) override
    {
        if (mode == OpenMode::CreateNew && plantings_-- > 0) {
            fs::create_symlink(victim_, path);
            planted_.push_back(path);
        }
        return test::TFailingFileSystem::Open(path, mode, handle);
    }
    const Names& Planted() const { return planted_; }

private:
    std::string victim_;
    int plantings_;
    Names planted_;
};

TEST(TFileReplacement, ALinkPlantedAtTheTemporaryNameChangesNothingItPointsTo)
{
    TTempDir dir;
    const std::string victim = dir.File("victim");
    WriteFileBytes(victim, "not to be touched");
    const std::string path = dir.File("book.html");
    WriteFileBytes(path, "old");

    TPlantingFileSystem planting(victim, 3);
    ReplaceFileWith(planting, path, "new", Follow);
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(ReadFileBytes(victim), "not to be touched");
    ASSERT_EQ(planting.Planted().size(), 3u);
    for (const auto& link : planting.Planted())
        EXPECT_TRUE(fs::is_symlink(link)) << "a link that was there is not ours to remove";

    // A name taken every time: the write gives up, the file stays as it was.
    TPlantingFileSystem always(victim, 1000);
    EXPECT_THROW(ReplaceFileWith(always, path, "newer", Follow), EInOutError);
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(ReadFileBytes(victim), "not to be touched");
}

TEST(TFileReplacement, AFailureNamesTheFileAndLeavesTheOldOneWhole)
{
    TTempDir dir;
    // Real failures, for root too: a missing folder, a folder at the file's name.
    for (const std::string& path : {dir.File("missing/book.html"), dir.File("folder.html")}) {
        fs::create_directory(dir.Path() / "folder.html");
        try {
            ReplaceFileWith(PlatformFileSystem(), path, "new", Follow);
            ADD_FAILURE() << path;
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.Path(), path);
        }
    }
    EXPECT_TRUE(fs::is_directory(dir.Path() / "folder.html"));
    EXPECT_EQ(FolderEntries(dir.Path()), Names{"folder.html"});

    // Each call of the routine failing in turn.
    const std::string path = dir.File("book.html");
    const std::string old = std::string(2 * FileBlockSize, 'o');
    const std::string now = std::string(3 * FileBlockSize, 'n');
    test::TFailingFileSystem counting;
    ReplaceFileWith(counting, path, now, Follow);
    for (int failAt = 1; failAt <= counting.Calls(); ++failAt) {
        WriteFileBytes(path, old);
        test::TFailingFileSystem failing(failAt);
        const std::string call = counting.Log()[static_cast<std::size_t>(failAt - 1)];
        try {
            ReplaceFileWith(failing, path, now, Follow);
            ADD_FAILURE() << "no failure reported: " << call;
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.Path(), path) << call;
        }
        // Closing the file and flushing the folder come after the rename: the new file is in place then.
        EXPECT_EQ(ReadFileBytes(path), failing.RenamedBeforeFailure(path) ? now : old) << call;
        EXPECT_EQ(TemporaryFilesIn(dir.Path()), Names{}) << call;
    }
}

TEST(TFileReplacement, WritersOfOneFileAtOnceNeverMixIt)
{
    TTempDir dir;
    const std::string path = dir.File("book.html");
    constexpr std::size_t Size = 3 * FileBlockSize + 17;
    WriteFileBytes(path, std::string(Size, 'a'));
    std::atomic<bool> writing = true;
    std::vector<std::thread> writers;
    for (char letter = 'b'; letter <= 'e'; ++letter) {
        writers.emplace_back([&path, letter] {
            for (int round = 0; round < 40; ++round)
                ReplaceFileWith(PlatformFileSystem(), path, std::string(Size, letter), Follow);
        });
    }
    int reads = 0;
    std::thread reader([&] {
        while (writing) {
            const std::string seen = ReadFileBytes(path);
            ++reads;
            ASSERT_EQ(seen.size(), Size);
            ASSERT_EQ(seen.find_first_not_of(seen.front()), std::string::npos) << "a mix of two writes";
        }
    });
    for (auto& writer : writers)
        writer.join();
    writing = false;
    reader.join();
    EXPECT_GT(reads, 0);
    EXPECT_EQ(FolderEntries(dir.Path()), Names{"book.html"});
}

TEST(TFileReplacement, OfWritersOfOneNewNameAtOnceExactlyOneWins)
{
    TTempDir dir;
    for (int round = 0; round < 10; ++round) {
        const std::string path = dir.File("new" + std::to_string(round) + ".html");
        std::atomic<int> winners = 0;
        std::atomic<int> refused = 0;
        std::vector<std::thread> writers;
        for (char letter = 'a'; letter <= 'h'; ++letter) {
            writers.emplace_back([&, letter] {
                try {
                    TFileReplacement page(PlatformFileSystem(), path, Follow, WhenTaken::Refuse);
                    page.Writer().Write(std::string(FileBlockSize, letter));
                    page.Commit();
                    ++winners;
                } catch (const EInOutError& error) {
                    refused += error.Code() == EEXIST;
                }
            });
        }
        for (auto& writer : writers)
            writer.join();
        EXPECT_EQ(winners, 1) << "round " << round;
        EXPECT_EQ(refused, 7) << "round " << round;
    }
    EXPECT_EQ(TemporaryFilesIn(dir.Path()), Names{});
    // A link counts as a taken name, even one that leads nowhere.
    fs::create_symlink("missing.html", dir.Path() / "link.html");
    TFileReplacement page(PlatformFileSystem(), dir.File("link.html"), LinkAtTarget::ReplaceName, WhenTaken::Refuse);
    EXPECT_THROW(page.Commit(), EInOutError);
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "link.html"));
    EXPECT_FALSE(fs::exists(dir.Path() / "missing.html"));
}

TEST(TFileReplacement, OnlyTheTemporaryFilesOfStoppedRunsAreRemoved)
{
    TTempDir dir;
    const Names kept = {"VerdaskTemp.ABCDEFGHIJKL", "VerdaskTemp._a_", "VerdaskTemp._c_", "VerdaskTemp.abc",
                        "VerdaskTemp.abcdefghijklm", "notes.txt"};
    for (const auto& name : kept)
        WriteFileBytes(dir.File(name), "the user's");
    WriteFileBytes(dir.File("VerdaskTemp.0123456789az"), "stopped");
    WriteFileBytes(dir.File("VerdaskTemp.stoppedtoo00"), "stopped");
    fs::create_directory(dir.Path() / "VerdaskTemp.afolder00000");
    fs::create_symlink("notes.txt", dir.Path() / "VerdaskTemp.alink0000000");
    {
        // A run that is writing holds its file.
        TFileReplacement live(PlatformFileSystem(), dir.File("book.html"), Follow);
        live.Writer().Write("page");
        EXPECT_EQ(RemoveAbandonedTemporaryFiles(PlatformFileSystem(), dir.Path().string()), 2);
        EXPECT_TRUE(fs::exists(live.TemporaryPath()));
        live.Commit();
    }
    EXPECT_EQ(ReadFileBytes(dir.File("book.html")), "page");
    Names expected = kept;
    expected.insert(expected.end(), {"VerdaskTemp.afolder00000", "VerdaskTemp.alink0000000", "book.html"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderEntries(dir.Path()), expected);
    EXPECT_EQ(RemoveAbandonedTemporaryFiles(PlatformFileSystem(), dir.File("missing")), 0);
}

} // namespace
} // namespace verdask
