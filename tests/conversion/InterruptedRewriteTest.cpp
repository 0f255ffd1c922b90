// SPDX-License-Identifier: GPL-3.0-or-later
// A rewrite of a page stopped dead (a crash, a kill, a power cut) at any file
// call: the page is the old one or the new one, whole, and the next run works.

#include "config/Conf.h"
#include "conversion/Bookmark.h"
#include "conversion/ConvertAndSave.h"
#include "conversion/Source.h"
#include "style/PageFrame.h"
#include "style/Restyle.h"
#include "style/StyleFile.h"
#include "files/Misc.h"
#include "support/FailingFileSystem.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <iterator>

namespace verdask {
namespace {

using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;

using TRewrite = std::function<void(FileSystem&)>;

// Runs the rewrite in a child process that dies at file call killAt; false when
// the child finished before that call.
bool KilledAt(int killAt, const TRewrite& rewrite)
{
    const pid_t child = ::fork();
    if (child == 0) {
        test::TFailingFileSystem dying(killAt, test::TFailingFileSystem::Fault::Kill);
        try {
            rewrite(dying);
        } catch (...) {
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

struct InterruptedRewrite : ::testing::Test {
    TTempDir Dir;
    std::string TextPath = Dir.File("book.txt");
    std::string PagePath = Dir.File("book.html");
    TConf Conf;
    TSourceState Source;

    InterruptedRewrite()
    {
        // A book of a few hundred kilobytes: many blocks, so many calls to stop at.
        std::string text = "Author\r\nTitle\r\n";
        for (int i = 0; text.size() < 600 * 1000; ++i)
            text += "     Paragraph " + std::to_string(i) + " -- with words enough to make a line of a book.\r\n";
        WriteFileBytes(TextPath, text);
        Conf.SetDefaults();
        Source.SourcePath = TextPath;
        Source.IndentWidth = 5;
    }

    std::string PageIn(const TViewStyle& style)
    {
        WritePage(PagePath, Conf, Source, style, {});
        return ReadFileBytes(PagePath);
    }

    // Kills the rewrite at every call it makes; the page is always old or
    // updated, and the rewrite run again afterwards gives updated.
    void ExpectNoKillLosesThePage(const std::string& old, const std::string& updated, const TRewrite& rewrite)
    {
        WriteFileBytes(PagePath, old);
        test::TFailingFileSystem counting;
        rewrite(counting);
        ASSERT_EQ(ReadFileBytes(PagePath), updated);
        ASSERT_GT(counting.Calls(), 20);
        for (int killAt = 1; killAt <= counting.Calls(); ++killAt) {
            WriteFileBytes(PagePath, old);
            const std::string call = counting.Log()[static_cast<std::size_t>(killAt - 1)];
            EXPECT_TRUE(KilledAt(killAt, rewrite)) << call;
            const std::string now = ReadFileBytes(PagePath);
            EXPECT_TRUE(now == old || now == updated) << "a cut or mixed page after a kill at " << call;
            rewrite(PlatformFileSystem());
            EXPECT_EQ(ReadFileBytes(PagePath), updated) << "the run after a kill at " << call;
            // What a killed run leaves is a temporary file of its own, never the only copy of the page.
            test::RemoveTemporaryFiles(Dir.Path());
        }
    }
};

TEST_F(InterruptedRewrite, ConvertingOverAnExistingPage)
{
    TViewStyle other;
    other.FontName = "Georgia";
    const std::string old = PageIn(other);
    const std::string updated = PageIn(TViewStyle{});
    ExpectNoKillLosesThePage(old, updated, [&](FileSystem& files) {
        WritePage(PagePath, Conf, Source, TViewStyle{}, {}, files);
    });
}

TEST_F(InterruptedRewrite, Restyling)
{
    TViewStyle wide;
    wide.TextWidth = 70;
    const std::string old = PageIn(TViewStyle{});
    const std::string updated = PageIn(wide);
    ExpectNoKillLosesThePage(old, updated, [&](FileSystem& files) { RestylePage(PagePath, wide, {}, 0, files); });
}

TEST_F(InterruptedRewrite, SavingABookmark)
{
    const std::string old = PageIn(TViewStyle{});
    std::string updated = old;
    const std::string script = MakeBookmarkScript(500);
    updated.replace(updated.find(PlainScriptLine), PlainScriptLine.size(), script);
    ExpectNoKillLosesThePage(old, updated, [&](FileSystem& files) { SaveBookmark(PagePath, 500, files); });
}

// A kill never shows a missing flush (the killed process's writes still reach
// the disk), so the order of the calls is read from the seam's log instead: the
// new file's last write, its flush, the rename, then the flush of its folder.
void ExpectFlushedBeforeAndAfterTheRename(const std::vector<std::string>& log, const std::string& target,
                                          const std::string& what)
{
    std::size_t verb = 0; // the length of "replace " or "place new "
    const auto renamed = std::find_if(log.begin(), log.end(), [&](const std::string& call) {
        verb = call.starts_with("replace ") ? 8 : call.starts_with("place new ") ? 10 : 0;
        return verb > 0 && call.ends_with(" " + target);
    });
    ASSERT_NE(renamed, log.end()) << what;
    const std::string temporary = renamed->substr(verb, renamed->size() - verb - target.size() - 1);
    const auto created = std::find(log.begin(), renamed, "open CreateNew " + temporary);
    ASSERT_NE(created, renamed) << what << ": " << temporary;
    const auto lastOf = [&](const char* call) {
        const auto found = std::find(std::make_reverse_iterator(renamed), std::make_reverse_iterator(created), call);
        return found.base() - 1 - log.begin();
    };
    EXPECT_LT(created - log.begin(), lastOf("write")) << what;
    EXPECT_LT(lastOf("write"), lastOf("sync")) << what << ": written, then flushed";
    const std::string folderFlush = "sync folder " + DirectoryPart(target);
    EXPECT_NE(std::find_if(renamed, log.end(), [&](const std::string& call) { return call.starts_with(folderFlush); }),
              log.end())
        << what << ": the rename flushed with its folder";
}

TEST_F(InterruptedRewrite, EveryWriterFlushesTheFileBeforeTheRenameAndTheFolderAfter)
{
    const std::string backup = Dir.File("foreign.htm_");
    const std::string foreign = Dir.File("foreign.html");
    const TRestyleQuestions backUp{[] { return TForeignChoice::BackupBeside; }, {}};
    const struct {
        const char* What;
        std::vector<std::string> Targets;
        std::function<void(FileSystem&)> Write;
    } writers[] = {
        {"page", {PagePath}, [&](FileSystem& files) { WritePage(PagePath, Conf, Source, {}, {}, files); }},
        {"new page", {PagePath}, [&](FileSystem& files) {
             std::filesystem::remove(PagePath);
             WritePage(PagePath, Conf, Source, {}, {}, files, WhenTaken::Refuse);
         }},
        {"bookmark", {PagePath}, [&](FileSystem& files) { SaveBookmark(PagePath, 7, files); }},
        {"backup and restyled page", {backup, foreign}, [&](FileSystem& files) {
             WriteFileBytes(foreign, "<HTML><BODY>\r\nanother program's\r\n");
             RestylePage(foreign, TViewStyle{}, backUp, 0, files);
         }},
        {"configuration", {Dir.File("verdask.con")}, [&](FileSystem& files) {
             TConf conf(files);
             conf.SetValue("Key", "value");
             conf.SaveToFile(Dir.File("verdask.con"));
         }},
        {"style", {Dir.File("day.sty")}, [&](FileSystem& files) { WriteStyleFile(Dir.File("day.sty"), {}, files); }},
    };
    PageIn(TViewStyle{});
    for (const auto& writer : writers) {
        test::TFailingFileSystem logging;
        writer.Write(logging);
        for (const auto& target : writer.Targets)
            ExpectFlushedBeforeAndAfterTheRename(logging.Log(), target, std::string(writer.What) + " " + target);
    }
}

} // namespace
} // namespace verdask
